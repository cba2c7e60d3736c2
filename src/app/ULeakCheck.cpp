// ULeakCheck: see ULeakCheck.h.
#include "app/ULeakCheck.h"

#include "net/USocket.h"

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

void CheckLeaksAtExit() {
#ifdef VORLANE_LEAK_CHECK
  if (TSocketThread::Alive() == 0) __lsan_do_leak_check();
#endif
}
