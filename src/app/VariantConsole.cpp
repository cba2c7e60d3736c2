// The console build: see UVariant.h.
#include <cstdio>

#include "app/UVariant.h"
#include "common/ULog.h"
#include "platform/Console.h"

void LogImmediate(const std::string& Text, TLogLevel) {
  // One write per message, so that lines of different threads never mix.
  std::string Line = Text + "\n";
  std::fwrite(Line.data(), 1, Line.size(), stdout);
  std::fflush(stdout);
}

// The platform's wait returns at once when there is no console input to
// read, and sleeps on the input instead of spinning.
void EnterKeyWait() { WaitForEnterKey(); }
