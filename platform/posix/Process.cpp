#include "platform/Process.h"

#include <csignal>
#include <unistd.h>

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

void IgnoreBrokenPipes() {
  struct sigaction Action {};
  Action.sa_handler = SIG_IGN;
  sigemptyset(&Action.sa_mask);
  sigaction(SIGPIPE, &Action, nullptr);
}
