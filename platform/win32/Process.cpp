#include "platform/Process.h"

#include <windows.h>

#include <string>

uint32_t CurrentProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

std::filesystem::path ProgramPath() {
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Length == 0) return {};
    if (Length < Path.size()) return Path.substr(0, Length);
    Path.resize(Path.size() * 2);  // truncated: try a larger buffer
  }
}

void IgnoreBrokenPipes() {}
