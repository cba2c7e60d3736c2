// HostEvent: signalling and waiting on the event handles that the host
// framework (halvern) hands out, the same way on every platform.
//
// A handle is pointer-sized and 0 (nullptr) means "no event". Win32: an
// event object HANDLE. POSIX: an eventfd descriptor (numbered 3 or above)
// stored in the pointer. Events are manual-reset: once signalled they stay
// signalled, and waiting never consumes the signal. Both operations are
// thread-safe and may be called on the same handle from any thread.
// REQUIRES: the handle stays open for the duration of the call (halvern's
// handles stay open until the process ends).
#pragma once

#include <cstdint>

typedef void* THostEventHandle;

enum class THostWaitResult { Signalled, TimedOut, Failed };

// Wait time that never runs out.
constexpr uint32_t HostWaitInfinite = 0xFFFFFFFFu;

// Signals the event (Win32 SetEvent). False when the handle is 0 or not a
// usable event.
bool SignalHostEvent(THostEventHandle Event);

// Waits until the event is signalled or TimeoutMs milliseconds have passed
// (Win32 WaitForSingleObject). Failed when the handle is 0 or not a usable
// event. TimeoutMs 0 only tests the event.
THostWaitResult WaitHostEvent(THostEventHandle Event, uint32_t TimeoutMs);
