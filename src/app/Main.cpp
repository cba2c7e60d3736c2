// The gateway's entry; each build links this with its own variant object.
#include <cstdio>
#include <cstdlib>

#include "app/ULeakCheck.h"
#include "app/UStartup.h"
#include "platform/Process.h"

int main(int Argc, char** Argv) {
  IgnoreBrokenPipes();
  int Status = RunGateway(Argc, Argv);
  // Client sessions still running end with the process: nothing that they
  // may use (settings, locks, the log) is destroyed under them.
  std::fflush(nullptr);
  CheckLeaksAtExit();
  std::_Exit(Status);
}
