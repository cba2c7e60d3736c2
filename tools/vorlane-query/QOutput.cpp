#include "QOutput.h"

#include <cstdio>

#include "platform/CodePage.h"
#include "platform/Terminal.h"

namespace {

// Flushes standard output; a reader that has gone makes the write fail
// (broken pipes are ignored, so the tool is not ended by a signal).
void FlushOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) throw EOutputClosed();
}

}  // namespace

std::u16string FromUser(std::string_view Text) { return AnsiToUtf16(LocaleToAnsi(Text)); }

void PrintLines(const std::vector<std::u16string>& Lines) {
  for (const auto& Line : Lines) {
    std::string Bytes = Utf16ToTerminal(Line) + "\n";
    std::fwrite(Bytes.data(), 1, Bytes.size(), stdout);
  }
  FlushOutput();
}

void PrintProblem(std::u16string_view Message) {
  std::string Bytes = "vorlane-query: " + Utf16ToTerminal(Message) + "\n";
  std::fwrite(Bytes.data(), 1, Bytes.size(), stderr);
  std::fflush(stderr);
}

void PrintProblem(const std::string& Message) { PrintProblem(std::u16string(Message.begin(), Message.end())); }

void PrintBytes(const std::string& Bytes) {
  std::fwrite(Bytes.data(), 1, Bytes.size(), stdout);
  FlushOutput();
}
