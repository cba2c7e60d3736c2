// Threads: what log lines and thread start-up need from the operating
// system beyond std::thread. Both functions act on the calling thread and
// may be called from any thread at any time.
#pragma once

#include <cstdint>

// Identifier of the calling thread as the operating system numbers it
// (Win32 GetCurrentThreadId, Linux gettid), for "[#<id>]" log prefixes.
// Unique among the threads alive at the same time.
uint32_t CurrentThreadId();

// Runs the calling thread one priority step below normal. Win32:
// THREAD_PRIORITY_BELOW_NORMAL. POSIX: the thread's nice value becomes the
// process's own plus one (at most 19). Calling it again changes nothing.
// Failure is ignored: the thread then simply keeps its priority.
void SetBelowNormalPriority();
