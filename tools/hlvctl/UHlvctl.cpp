// hlvctl: the host's process control tool.
//
//   hlvctl stop PID   asks process PID, registered with the process
//                     monitor, to stop as the monitor does (POSIX: SIGTERM;
//                     Windows: signals its named stop event)
//
// Exit status: 0 done, 1 no such registered process or it could not be
// asked, 2 bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "halvern.h"
#include "platform/Process.h"

namespace {

const char* const Usage = "usage: hlvctl stop PID\n";

// A process id written as decimal digits only, not 0; false otherwise.
bool ParseProcessId(const char* Text, unsigned long& Pid) {
  const size_t length = std::strlen(Text);
  if (length == 0 || length > 10) return false;
  unsigned long long value = 0;
  for (size_t i = 0; i < length; ++i) {
    if (Text[i] < '0' || Text[i] > '9') return false;
    value = value * 10 + static_cast<unsigned>(Text[i] - '0');
  }
  if (value == 0 || value > 0xFFFFFFFFull) return false;
  Pid = static_cast<unsigned long>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  IgnoreBrokenPipes();
  if (argc != 3 || std::strcmp(argv[1], "stop") != 0) {
    std::fputs(Usage, stderr);
    return 2;
  }
  unsigned long pid = 0;
  if (!ParseProcessId(argv[2], pid)) {
    std::fprintf(stderr, "hlvctl: not a process id: %s\n%s", argv[2], Usage);
    return 2;
  }
  char message[256] = "";
  if (hlvPmonStopProcess(pid, message, sizeof message) != 1) {
    std::fprintf(stderr, "hlvctl: %s\n", message);
    return 1;
  }
  return 0;
}
