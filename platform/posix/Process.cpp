#include "platform/Process.h"

#include <csignal>
#include <unistd.h>

#include <system_error>

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

std::filesystem::path ProgramPath() {
  std::error_code Error;
  return std::filesystem::read_symlink("/proc/self/exe", Error);
}

void IgnoreBrokenPipes() {
  struct sigaction Action {};
  Action.sa_handler = SIG_IGN;
  sigemptyset(&Action.sa_mask);
  sigaction(SIGPIPE, &Action, nullptr);
}
