#include "platform/Process.h"

#include <unistd.h>

#include <system_error>

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

std::filesystem::path ProgramPath() {
  std::error_code Error;
  return std::filesystem::read_symlink("/proc/self/exe", Error);
}
