// Process: the identity of the running process. Any thread may call.
#pragma once

#include <cstdint>

// The process id as the operating system numbers it (Win32
// GetCurrentProcessId, POSIX getpid).
uint32_t CurrentProcessId();
