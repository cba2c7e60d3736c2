#include "QWire.h"

#include "platform/CodePage.h"

std::string ToWire(const TOptions& Options, std::u16string_view Text) {
  return Options.Utf8 ? Utf16ToUtf8(Text) : Utf16ToAnsi(Text);
}

std::u16string FromWire(const TOptions& Options, std::string_view Bytes) {
  return Options.Utf8 ? Utf8ToUtf16(Bytes) : AnsiToUtf16(Bytes);
}
