// UMutex: a mutex and its scoped holder that the compiler's thread-safety
// analysis knows (see UThreadAnnotations.h), so that data marked
// GUARDED_BY a TMutex and functions marked REQUIRES it are checked to be
// used only while it is held.
//
// A TMutex is not recursive: a thread that holds it must not take it again.
#pragma once

#include <mutex>

#include "common/UThreadAnnotations.h"

class CAPABILITY("mutex") TMutex {
 public:
  void Lock() ACQUIRE() { Mutex_.lock(); }
  void Unlock() RELEASE() { Mutex_.unlock(); }

 private:
  std::mutex Mutex_;
};

// Holds Mutex from its construction to the end of its scope, which it
// leaves on every path, also when a call in the scope throws.
class SCOPED_CAPABILITY TMutexLock {
 public:
  explicit TMutexLock(TMutex& Mutex) ACQUIRE(Mutex) : Mutex_(Mutex) { Mutex_.Lock(); }
  ~TMutexLock() RELEASE() { Mutex_.Unlock(); }
  TMutexLock(const TMutexLock&) = delete;
  TMutexLock& operator=(const TMutexLock&) = delete;

 private:
  TMutex& Mutex_;
};
