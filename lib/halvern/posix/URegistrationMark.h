// URegistrationMark, POSIX: how hlvctl tells a process registered with
// the process monitor from any other process.
//
// A registered process holds a datagram socket bound to the abstract name
// "HalvernStop-<pid>" (the counterpart of the Win32 stop event's name).
// The kernel drops the name with the process, so no mark outlives it and a
// later process with the same id is not taken for it. The socket is only
// looked up, never read: hlvctl connects to it and sends nothing. Abstract
// names belong to a network namespace, so hlvctl must run in the
// process's. Any thread may use these.
#pragma once

#include <sys/types.h>

#include "posix/UDescriptor.h"

// The mark of the calling process, held while the object lives; a mark
// that cannot be made leaves the process unmarked.
class TRegistrationMark {
 public:
  TRegistrationMark();

 private:
  TDescriptor Socket;
};

// True when process Pid holds its mark.
bool IsRegistered(pid_t Pid);
