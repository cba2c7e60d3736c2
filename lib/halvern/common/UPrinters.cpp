// UPrinters: the host printers. A call formats its text, puts the priority
// prefix before every line and writes the whole in one piece to standard
// error, under a lock so that lines of different threads never mix.
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "halvern.h"

namespace {

std::mutex PrintLock;

std::string PrefixLines(const char* Prefix, const std::string& Text) {
  std::string result;
  std::string::size_type start = 0;
  while (start < Text.size()) {
    std::string::size_type end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    result += Prefix;
    result.append(Text, start, end - start);
    result += '\n';
    start = end + 1;
  }
  return result;
}

// False when Format cannot be applied to Args.
bool FormatText(const char* Format, va_list Args, std::string& Text) {
  va_list measure;
  va_copy(measure, Args);
  const int length = std::vsnprintf(nullptr, 0, Format, measure);
  va_end(measure);
  if (length < 0) return false;
  Text.assign(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(Text.data(), Text.size(), Format, Args);
  Text.resize(static_cast<size_t>(length));
  return true;
}

int Print(const char* Prefix, const char* Format, va_list Args) {
  std::string text;
  if (Format == nullptr || !FormatText(Format, Args, text)) return -1;
  const std::string out = PrefixLines(Prefix, text);
  std::lock_guard<std::mutex> lock(PrintLock);
  const size_t written = std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
  return written == out.size() ? static_cast<int>(written) : -1;
}

}  // namespace

// The three printers differ only in their prefix.
#define HLV_PRINTER(Name, Prefix)                          \
  extern "C" HLVAPI int Name(const char* format, ...) {    \
    va_list args;                                          \
    va_start(args, format);                                \
    const int result = Print(Prefix, format, args);        \
    va_end(args);                                          \
    return result;                                         \
  }

HLV_PRINTER(e_printf, "<3>")
HLV_PRINTER(m_printf, "<5>")
HLV_PRINTER(d_printf, "<7>")
