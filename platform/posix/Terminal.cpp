// Terminal on POSIX: the user's side is UTF-8.
#include "platform/Terminal.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf8(std::string& Out, char32_t Code) {
  if (Code < 0x80) {
    Out += static_cast<char>(Code);
  } else if (Code < 0x800) {
    Out += static_cast<char>(0xC0 | (Code >> 6));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else if (Code < 0x10000) {
    Out += static_cast<char>(0xE0 | (Code >> 12));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Code >> 18));
    Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  }
}

bool IsHigh(char16_t Unit) { return Unit >= 0xD800 && Unit <= 0xDBFF; }
bool IsLow(char16_t Unit) { return Unit >= 0xDC00 && Unit <= 0xDFFF; }

}  // namespace

std::string Utf16ToTerminal(std::u16string_view Text) {
  std::string Result;
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    char16_t Unit = Text[Index];
    if (IsHigh(Unit) && Index + 1 < Text.size() && IsLow(Text[Index + 1])) {
      AppendUtf8(Result, 0x10000 + ((char32_t(Unit) - 0xD800) << 10) + (Text[++Index] - 0xDC00));
    } else {
      AppendUtf8(Result, IsHigh(Unit) || IsLow(Unit) ? Replacement : Unit);
    }
  }
  return Result;
}

void SetBinaryOutput() {}
