// UServiceManager: what halvern tells the service manager that supervises
// the process, and its reactions to the process monitor's events. Any
// thread may call.
#pragma once

#include <string>

// Sends one notification such as "READY=1" to the service manager.
// POSIX: a datagram on $NOTIFY_SOCKET when set. Win32: nothing (the
// service control manager is not involved). Failures are ignored.
void NotifyServiceManager(const std::string& Text);

// Called once when the start event is seen signalled: READY=1 and the
// trace line "start-event signalled".
void ReportStartSignalled();

// Called once when the stop event is seen signalled: STOPPING=1 and the
// trace line "stop-event signalled".
void ReportStopSignalled();
