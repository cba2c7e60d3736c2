// ULeakCheck: the leak check of an AddressSanitizer build, made by main
// just before the process ends. Other builds compile it to nothing.
//
// The gateway ends with std::_Exit, which skips LeakSanitizer's own check at
// exit. A check while client sessions run is not exact: the state of a
// session whose thread is being started is held by nothing that the
// sanitizer scans, and would be reported as lost. So the check runs only at
// the end, after the listener has been joined (no session starts any more),
// and only when no session is alive: then every block it reports is one that
// nothing points to, a leak. Leaks are reported on standard error, and the
// process then ends with the sanitizer's failure status.
#pragma once

// REQUIRES: on the main thread, after the listener thread has ended.
void CheckLeaksAtExit();
