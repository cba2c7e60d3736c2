// UDescriptor, POSIX: file descriptors owned by one object each. Any
// thread may use them.
#pragma once

// A descriptor closed when its owner ends; -1 for none.
class TDescriptor {
 public:
  explicit TDescriptor(int Fd) : Fd(Fd) {}
  ~TDescriptor();
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  const int Fd;
};

// Fd itself when it is numbered 3 or above, else a close-on-exec copy so
// numbered (Fd is closed): a descriptor that the process keeps must never
// take the place of a closed standard stream. -1 stays -1.
int AboveStandardStreams(int Fd);
