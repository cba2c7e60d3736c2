// Threads, POSIX (Linux): thread ids from gettid, priority as the thread's
// own nice value (Linux keeps one per thread).
#include "platform/Threads.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

uint32_t CurrentThreadId() { return static_cast<uint32_t>(gettid()); }

void SetBelowNormalPriority() {
  // The process's "normal" is the nice value of its main thread, whose
  // thread id equals the process id.
  errno = 0;
  const int normal = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
  if (normal == -1 && errno != 0) return;
  const int lower = std::min(normal + 1, 19);
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), lower);
}
