// Terminal on POSIX: the user's side is UTF-8.
#include "platform/Terminal.h"

#include <cstdint>

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Length of the sequence that Lead starts and the bits it carries; 0 for a
// byte that cannot start one.
int SequenceLength(unsigned char Lead, char32_t& Bits) {
  if (Lead < 0x80) return Bits = Lead, 1;
  if (Lead >= 0xC2 && Lead <= 0xDF) return Bits = Lead & 0x1F, 2;
  if (Lead >= 0xE0 && Lead <= 0xEF) return Bits = Lead & 0x0F, 3;
  if (Lead >= 0xF0 && Lead <= 0xF4) return Bits = Lead & 0x07, 4;
  return 0;
}

// Decodes one character at Text[Index], moving Index past it; a sequence
// that is cut short, overlong or a surrogate gives U+FFFD for its first byte.
char32_t DecodeOne(std::string_view Text, std::size_t& Index) {
  char32_t Code = 0;
  int Length = SequenceLength(static_cast<unsigned char>(Text[Index]), Code);
  if (Length == 0 || Index + Length > Text.size()) return ++Index, Replacement;
  for (int Step = 1; Step < Length; ++Step) {
    auto Next = static_cast<unsigned char>(Text[Index + Step]);
    if ((Next & 0xC0) != 0x80) return ++Index, Replacement;
    Code = (Code << 6) | (Next & 0x3F);
  }
  static constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (Code < Least[Length] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return ++Index, Replacement;
  Index += Length;
  return Code;
}

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

std::u16string UserTextToUtf16(std::string_view Text) {
  std::u16string Result;
  for (std::size_t Index = 0; Index < Text.size();) {
    char32_t Code = DecodeOne(Text, Index);
    if (Code < 0x10000) {
      Result += static_cast<char16_t>(Code);
    } else {
      Code -= 0x10000;
      Result += static_cast<char16_t>(0xD800 + (Code >> 10));
      Result += static_cast<char16_t>(0xDC00 + (Code & 0x3FF));
    }
  }
  return Result;
}

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
