// UServiceManager: the platform-independent half; NotifyServiceManager
// itself lives in posix/ and win32/.
#include "common/UServiceManager.h"

#include "common/UTrace.h"

void ReportStartSignalled() {
  NotifyServiceManager("READY=1");
  TraceLine("start-event signalled");
}

void ReportStopSignalled() {
  NotifyServiceManager("STOPPING=1");
  TraceLine("stop-event signalled");
}
