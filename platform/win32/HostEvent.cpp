// HostEvent, Win32: halvern's handles are event objects.
#include "platform/HostEvent.h"

#include <windows.h>

bool SignalHostEvent(THostEventHandle Event) { return Event != nullptr && SetEvent(Event) != 0; }

THostWaitResult WaitHostEvent(THostEventHandle Event, uint32_t TimeoutMs) {
  if (Event == nullptr) return THostWaitResult::Failed;
  static_assert(HostWaitInfinite == INFINITE, "the infinite wait is passed through");
  switch (WaitForSingleObject(Event, TimeoutMs)) {
    case WAIT_OBJECT_0: return THostWaitResult::Signalled;
    case WAIT_TIMEOUT: return THostWaitResult::TimedOut;
    default: return THostWaitResult::Failed;
  }
}
