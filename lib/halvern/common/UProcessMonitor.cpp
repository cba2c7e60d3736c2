#include "common/UProcessMonitor.h"

#include <cstring>

#include "common/UTrace.h"

void TraceRegister(int Count, const char* const* Argv) {
  std::string line = "register argc=" + std::to_string(Count) + " argv=";
  for (int i = 0; i < Count && Argv != nullptr; ++i) {
    if (i > 0) line += ' ';
    line += TraceText(Argv[i]);
  }
  TraceLine(line);
}

void CopyMessage(char* Message, size_t Size, const std::string& Text) {
  if (Message == nullptr || Size == 0) return;
  const size_t length = Text.size() < Size - 1 ? Text.size() : Size - 1;
  std::memcpy(Message, Text.data(), length);
  Message[length] = '\0';
}
