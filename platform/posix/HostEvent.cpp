// HostEvent, POSIX: halvern's events are eventfd descriptors. Signalling
// adds to the counter; waiting polls for readability and never reads, so
// the event stays signalled (manual reset).
#include "platform/HostEvent.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>

namespace {

// Descriptors 0 to 2 are the standard streams, never events.
int Descriptor(THostEventHandle Event) {
  const intptr_t value = reinterpret_cast<intptr_t>(Event);
  return value >= 3 && value <= INT_MAX ? static_cast<int>(value) : -1;
}

// Milliseconds left until Deadline, rounded up, as poll takes them.
int MillisecondsLeft(std::chrono::steady_clock::time_point Deadline) {
  using namespace std::chrono;
  const auto left = ceil<milliseconds>(Deadline - steady_clock::now()).count();
  if (left <= 0) return 0;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

}  // namespace

bool SignalHostEvent(THostEventHandle Event) {
  const int fd = Descriptor(Event);
  if (fd < 0) return false;
  const uint64_t one = 1;
  for (;;) {
    const ssize_t written = write(fd, &one, sizeof one);
    if (written == static_cast<ssize_t>(sizeof one)) return true;
    if (written < 0 && errno == EINTR) continue;
    // EAGAIN: the counter is at its limit, so the event is signalled already.
    return written < 0 && errno == EAGAIN;
  }
}

THostWaitResult WaitHostEvent(THostEventHandle Event, uint32_t TimeoutMs) {
  const int fd = Descriptor(Event);
  if (fd < 0) return THostWaitResult::Failed;
  const bool forever = TimeoutMs == HostWaitInfinite;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  for (;;) {
    const int wait = forever ? -1 : MillisecondsLeft(deadline);
    pollfd entry{fd, POLLIN, 0};
    const int ready = poll(&entry, 1, wait);
    if (ready > 0) return (entry.revents & POLLIN) ? THostWaitResult::Signalled : THostWaitResult::Failed;
    if (ready == 0 && wait == 0) return THostWaitResult::TimedOut;
    if (ready < 0 && errno != EINTR) return THostWaitResult::Failed;
  }
}
