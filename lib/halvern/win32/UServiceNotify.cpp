// UServiceNotify, Win32: a console process under the host's process
// monitor has no service manager to notify; the trace file and the events
// carry everything.
#include "common/UServiceManager.h"

void NotifyServiceManager(const std::string&) {}
