// Process: the identity of the running process. Any thread may call.
#pragma once

#include <cstdint>
#include <filesystem>

// The process id as the operating system numbers it (Win32
// GetCurrentProcessId, POSIX getpid).
uint32_t CurrentProcessId();

// The full path of the running program's file, whatever the program was
// started as (a bare name found on PATH, a relative path); empty when the
// system cannot tell. Installed programs find their data relative to it.
std::filesystem::path ProgramPath();
