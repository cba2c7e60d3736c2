// Threads, Win32.
#include "platform/Threads.h"

#include <windows.h>

uint32_t CurrentThreadId() { return static_cast<uint32_t>(GetCurrentThreadId()); }

void SetBelowNormalPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }
