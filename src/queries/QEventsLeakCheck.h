// QEventsLeakCheck: in the AddressSanitizer build, a leak check when an
// event query ends, on every path out of it.
//
// The gateway ends with std::_Exit, which skips LeakSanitizer's check at
// exit, and the event queries are where the library's blocks (pages, class
// data, messages) pass through the program. So the check runs here, while
// the process is alive: a block that was dropped without tvxFreeMemory is
// reported on standard error at the end of the query that lost it (the
// end-to-end tests read that output), and the gateway goes on. Other builds
// compile it to nothing.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#  define VORLANE_LEAK_CHECK 1
#elif defined(__has_feature)
#  if __has_feature(address_sanitizer)
#    define VORLANE_LEAK_CHECK 1
#  endif
#endif

#ifdef VORLANE_LEAK_CHECK
#  include <sanitizer/lsan_interface.h>
#endif

// Declared first in a handler, so that it runs after every other local of
// the handler is gone.
struct TEventLeakCheck {
  TEventLeakCheck() = default;
  TEventLeakCheck(const TEventLeakCheck&) = delete;
  TEventLeakCheck& operator=(const TEventLeakCheck&) = delete;
  ~TEventLeakCheck() {
#ifdef VORLANE_LEAK_CHECK
    __lsan_do_recoverable_leak_check();
#endif
  }
};
