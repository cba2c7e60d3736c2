#include "posix/UDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

TDescriptor::~TDescriptor() {
  if (Fd >= 0) close(Fd);
}

int AboveStandardStreams(int Fd) {
  if (Fd < 0 || Fd >= 3) return Fd;
  const int moved = fcntl(Fd, F_DUPFD_CLOEXEC, 3);
  close(Fd);
  return moved;
}
