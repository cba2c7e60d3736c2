#include "common/ULogSafe.h"

namespace {

bool IsControl(unsigned char Byte) { return Byte < 0x20 || Byte == 0x7F; }

void AppendEscape(std::string& Result, unsigned char Byte) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  switch (Byte) {
    case '\r': Result += "\\r"; return;
    case '\n': Result += "\\n"; return;
    case '\t': Result += "\\t"; return;
    default:
      Result += "\\x";
      Result += Hex[Byte >> 4];
      Result += Hex[Byte & 0x0F];
  }
}

}  // namespace

std::string LogSafeText(std::string_view Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (char Char : Text) {
    auto Byte = static_cast<unsigned char>(Char);
    if (IsControl(Byte)) {
      AppendEscape(Result, Byte);
    } else {
      Result += Char;
    }
  }
  return Result;
}
