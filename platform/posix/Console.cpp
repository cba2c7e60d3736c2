// Console, POSIX: SIGINT, SIGQUIT and SIGHUP stay blocked in every thread
// and one thread of this unit takes them with sigwait, so the callback runs
// as ordinary code on that thread. Title and Enter-key wait act only on a
// terminal.
#include "platform/Console.h"

#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <system_error>
#include <thread>

namespace {

std::atomic<TConsoleCallback> Callback{nullptr};

sigset_t ControlSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGQUIT);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// The thread that waits for the control signals. It lives until the
// process ends; at exit its destructor wakes it with a signal of the set
// and joins it.
class TSignalThread {
 public:
  TSignalThread() : Thread_([this] { Run(); }) {}
  ~TSignalThread() {
    Stopping_ = true;
    pthread_kill(Thread_.native_handle(), SIGHUP);
    Thread_.join();
  }
  TSignalThread(const TSignalThread&) = delete;
  TSignalThread& operator=(const TSignalThread&) = delete;

 private:
  void Run() {
    const sigset_t signals = ControlSignals();
    for (;;) {
      int received = 0;
      if (sigwait(&signals, &received) != 0) continue;
      if (Stopping_) return;
      if (const TConsoleCallback callback = Callback.load()) callback();
    }
  }

  std::atomic<bool> Stopping_{false};
  std::thread Thread_;  // last: starts once Stopping_ exists
};

bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

enum class TKeyRead { Key, Nothing, End };

// Takes one pending byte from standard input without blocking.
TKeyRead TakeKey(int& Key) {
  pollfd entry{STDIN_FILENO, POLLIN, 0};
  const int ready = poll(&entry, 1, 0);
  if (ready < 0) return errno == EINTR ? TKeyRead::Nothing : TKeyRead::End;
  if (ready == 0) return TKeyRead::Nothing;
  if (entry.revents & POLLNVAL) return TKeyRead::End;
  unsigned char byte = 0;
  const ssize_t got = read(STDIN_FILENO, &byte, 1);
  if (got == 1) {
    Key = byte == '\n' || byte == '\r' ? 13 : byte;
    return TKeyRead::Key;
  }
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return TKeyRead::Nothing;
  return TKeyRead::End;  // end of input or a read error
}

// Sleeps until standard input has something to read (or ends).
bool AwaitInput() {
  for (;;) {
    pollfd entry{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&entry, 1, -1);
    if (ready > 0) return (entry.revents & POLLNVAL) == 0;
    if (ready < 0 && errno != EINTR) return false;
  }
}

}  // namespace

void InstallConsoleHandler(TConsoleCallback NewCallback) {
  Callback = NewCallback;
  const sigset_t signals = ControlSignals();
  const int error = pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  if (error != 0) throw std::system_error(error, std::generic_category(), "pthread_sigmask");
  // Created after blocking, so the waiting thread inherits the blocked set.
  static TSignalThread signalThread;
}

void SetConsoleWindowTitle(const std::string& Title) {
  if (isatty(STDOUT_FILENO) != 1) return;
  std::string sequence = "\033]0;";
  for (const char c : Title) {
    const unsigned char code = static_cast<unsigned char>(c);
    if (code >= 0x20 && code != 0x7F) sequence += c;
  }
  sequence += '\a';
  std::fputs(sequence.c_str(), stdout);
  std::fflush(stdout);
}

void WaitForEnterKey() {
  if (!StdinIsTerminal()) return;
  for (;;) {
    if (!AwaitInput()) return;
    int key = 0;
    const TKeyRead outcome = TakeKey(key);
    if (outcome == TKeyRead::End || (outcome == TKeyRead::Key && key == 13)) return;
  }
}
