// Process: the identity of the running process, and the process-wide
// settings that every program of the project makes first thing in main.
// Any thread may call CurrentProcessId.
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

// Makes a write to a pipe or socket whose reader has gone fail with an
// error instead of ending the process: a console or log reader that went
// away is no reason to stop serving. POSIX: ignores SIGPIPE (inherited by
// every thread started later); nothing on Win32, where such a write only
// fails. REQUIRES: called by the main thread before it starts any other.
void IgnoreBrokenPipes();
