// UProcessMonitor, POSIX: the two events are eventfd descriptors made once
// per process. SIGTERM signals the stop event from a handler that only
// writes to the eventfd (async-signal-safe); a watcher thread with every
// asynchronous signal blocked reports the two events to the service
// manager and the trace file once each.
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "common/UProcessMonitor.h"
#include "common/UServiceManager.h"
#include "halvern.h"
#include "posix/URegistrationMark.h"

namespace {

// An eventfd numbered 3 or above, so that it never takes the place of a
// closed standard stream (and never reads as the "missing" handle 0).
class TEventFd : public TDescriptor {
 public:
  TEventFd() : TDescriptor(AboveStandardStreams(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))) {}

  HLVHANDLE Handle() const { return Fd >= 0 ? reinterpret_cast<HLVHANDLE>(static_cast<intptr_t>(Fd)) : nullptr; }
};

// Read by the SIGTERM handler; -1 while there is no stop event.
std::atomic<int> StopDescriptor{-1};
static_assert(std::atomic<int>::is_always_lock_free, "used inside a signal handler");

extern "C" void OnTerminate(int) {
  const int savedErrno = errno;
  const int fd = StopDescriptor.load();
  if (fd >= 0) {
    const uint64_t one = 1;
    const ssize_t written = write(fd, &one, sizeof one);
    (void)written;
  }
  errno = savedErrno;
}

// Starts Body on a thread that has every asynchronous signal blocked, so
// that it never takes a signal meant for the program's own threads.
template <typename TBody>
std::thread StartQuietThread(TBody Body) {
  sigset_t quiet, previous;
  sigfillset(&quiet);
  for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT}) sigdelset(&quiet, fault);
  pthread_sigmask(SIG_BLOCK, &quiet, &previous);
  try {
    std::thread thread(Body);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return thread;
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    throw;
  }
}

// The process monitor's side of one registered process: made at the first
// registration, ended at process exit (which joins the watcher).
class TMonitor {
 public:
  // The handler comes last: should the watcher fail to start, the stop
  // event is closed again and SIGTERM must not reach for it.
  TMonitor() {
    Watcher = StartQuietThread([this] { Watch(); });
    if (Stop.Fd < 0) return;
    InstallTerminateHandler();
    Mark.emplace();
  }
  ~TMonitor() {
    Mark.reset();
    StopDescriptor = -1;
    const uint64_t one = 1;
    const ssize_t written = write(Quit.Fd, &one, sizeof one);
    (void)written;
    if (Watcher.joinable()) Watcher.join();
  }
  TMonitor(const TMonitor&) = delete;
  TMonitor& operator=(const TMonitor&) = delete;

  HLVHANDLE StartHandle() const { return Start.Handle(); }
  HLVHANDLE StopHandle() const { return Stop.Handle(); }

 private:
  void InstallTerminateHandler() {
    StopDescriptor = Stop.Fd;
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
  }

  // Waits for each event once; poll skips entries whose descriptor is
  // negative, which is how an event already reported is dropped.
  void Watch() {
    pollfd entries[3] = {{Quit.Fd, POLLIN, 0}, {Start.Fd, POLLIN, 0}, {Stop.Fd, POLLIN, 0}};
    for (;;) {
      if (poll(entries, 3, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (entries[0].revents != 0) return;
      if (entries[1].revents != 0) {
        entries[1].fd = -1;
        ReportStartSignalled();
      }
      if (entries[2].revents != 0) {
        entries[2].fd = -1;
        ReportStopSignalled();
      }
    }
  }

  TEventFd Start, Stop, Quit;
  std::thread Watcher;
  // Made last and dropped first: hlvctl finds the process only while
  // SIGTERM signals its stop event.
  std::optional<TRegistrationMark> Mark;
};

TMonitor& Monitor() {
  static TMonitor monitor;
  return monitor;
}

}  // namespace

extern "C" HLVAPI int hlvPmonLocalRegisterProcess(int count, const char* const* argv, HLVHANDLE* startEvent,
                                                  HLVHANDLE* stopEvent) {
  TraceRegister(count, argv);
  HLVHANDLE start = nullptr, stop = nullptr;
  try {
    start = Monitor().StartHandle();
    stop = Monitor().StopHandle();
  } catch (...) {
    // No watcher thread: the process gets no events and ends its start-up.
  }
  if (startEvent != nullptr) *startEvent = start;
  if (stopEvent != nullptr) *stopEvent = stop;
  return start != nullptr && stop != nullptr ? 1 : 0;
}

extern "C" HLVAPI int hlvPmonStopProcess(unsigned long pid, char* message, size_t size) {
  const std::string process = "process " + std::to_string(pid);
  if (pid == 0 || static_cast<unsigned long>(static_cast<pid_t>(pid)) != pid || static_cast<pid_t>(pid) < 0) {
    CopyMessage(message, size, "invalid process id " + std::to_string(pid));
    return 0;
  }
  if (!IsRegistered(static_cast<pid_t>(pid))) {
    CopyMessage(message, size, "no " + process + " registered with halvern");
    return 0;
  }
  if (kill(static_cast<pid_t>(pid), SIGTERM) == 0) return 1;
  const int error = errno;
  if (error == ESRCH) {
    CopyMessage(message, size, "no " + process);
  } else if (error == EPERM) {
    CopyMessage(message, size, "not permitted to stop " + process);
  } else {
    CopyMessage(message, size, "cannot stop " + process + ": " + std::generic_category().message(error));
  }
  return 0;
}
