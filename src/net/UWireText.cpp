// UWireText: see UWireText.h.
#include "net/UWireText.h"

#include "common/UCommon.h"
#include "platform/CodePage.h"

namespace {

bool WireIsUtf8() { return Config.Charset == TCharset::Utf8; }

}  // namespace

std::u16string WireToUtf16(std::string_view Bytes) { return WireIsUtf8() ? Utf8ToUtf16(Bytes) : AnsiToUtf16(Bytes); }

std::string Utf16ToWire(std::u16string_view Text) { return WireIsUtf8() ? Utf16ToUtf8(Text) : Utf16ToAnsi(Text); }

std::string WireToAnsi(std::string_view Bytes) {
  return WireIsUtf8() ? Utf16ToAnsi(Utf8ToUtf16(Bytes)) : std::string(Bytes);
}
