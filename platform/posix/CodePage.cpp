// Code pages on POSIX: fixed tables of Windows-1251 (ANSI) and 866 (OEM).
// Bytes below 0x80 are ASCII in both. The byte 0x98, which Windows-1251
// leaves undefined, stands for U+0098 both ways, as on Windows.
#include "platform/CodePage.h"

#include <array>
#include <optional>

namespace {

using TUpperHalf = std::array<char16_t, 128>;

// UTF-16 code units of the bytes 0x80 to 0xFF.
constexpr TUpperHalf Cp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr TUpperHalf Cp866 = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

char16_t ToUtf16(const TUpperHalf& Table, unsigned char Byte) {
  return Byte < 0x80 ? Byte : Table[Byte - 0x80];
}

// The Windows-1251 byte of every code unit, '?' where it has none; built
// once, on first use.
const std::array<char, 0x10000>& Cp1251Bytes() {
  static const auto Bytes = [] {
    std::array<char, 0x10000> Result;
    Result.fill('?');
    for (unsigned Byte = 0; Byte < 0x100; ++Byte) {
      Result[ToUtf16(Cp1251, static_cast<unsigned char>(Byte))] = static_cast<char>(Byte);
    }
    return Result;
  }();
  return Bytes;
}

char ToCp1251(char16_t Unit) { return Cp1251Bytes()[Unit]; }

bool IsHighSurrogate(char16_t Unit) { return Unit >= 0xD800 && Unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t Unit) { return Unit >= 0xDC00 && Unit <= 0xDFFF; }

// Length of the UTF-8 sequence that Lead begins, 0 for a byte that cannot
// begin one.
std::size_t Utf8Length(unsigned char Lead) {
  if (Lead < 0x80) return 1;
  if (Lead >= 0xC2 && Lead <= 0xDF) return 2;
  if (Lead >= 0xE0 && Lead <= 0xEF) return 3;
  if (Lead >= 0xF0 && Lead <= 0xF4) return 4;
  return 0;
}

// The code point of the well-formed UTF-8 sequence at Text[Index] (no
// overlong form, no surrogate, nothing above U+10FFFF), Index moved past
// it; nothing when the sequence is ill-formed, Index then moved past its
// ill-formed part (at least one byte).
std::optional<char32_t> TakeUtf8(std::string_view Text, std::size_t& Index) {
  const std::size_t Length = Utf8Length(static_cast<unsigned char>(Text[Index]));
  static constexpr unsigned char LeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t Code = static_cast<unsigned char>(Text[Index++]) & LeadMask[Length];
  for (std::size_t Next = 1; Next < Length; ++Next, ++Index) {
    if (Index >= Text.size() || (static_cast<unsigned char>(Text[Index]) & 0xC0) != 0x80) return std::nullopt;
    Code = Code << 6 | (static_cast<unsigned char>(Text[Index]) & 0x3F);
  }
  static constexpr char32_t Smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (Length == 0 || Code < Smallest[Length] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
    return std::nullopt;
  return Code;
}

void AppendUtf16(std::u16string& Result, char32_t Code) {
  if (Code < 0x10000) {
    Result.push_back(static_cast<char16_t>(Code));
    return;
  }
  Result.push_back(static_cast<char16_t>(0xD800 + ((Code - 0x10000) >> 10)));
  Result.push_back(static_cast<char16_t>(0xDC00 + ((Code - 0x10000) & 0x3FF)));
}

// UTF-8 to UTF-16; an ill-formed part becomes U+FFFD when Replace is set,
// and fails the whole text (false) when it is not.
bool DecodeUtf8(std::string_view Text, std::u16string& Result, bool Replace) {
  for (std::size_t Index = 0; Index < Text.size();) {
    std::optional<char32_t> Code = TakeUtf8(Text, Index);
    if (!Code && !Replace) return false;
    AppendUtf16(Result, Code.value_or(0xFFFD));
  }
  return true;
}

void AppendUtf8(std::string& Result, char32_t Code) {
  if (Code < 0x80) {
    Result.push_back(static_cast<char>(Code));
    return;
  }
  const int Trail = Code < 0x800 ? 1 : Code < 0x10000 ? 2 : 3;
  static constexpr unsigned char LeadMark[4] = {0, 0xC0, 0xE0, 0xF0};
  Result.push_back(static_cast<char>(LeadMark[Trail] | (Code >> (6 * Trail))));
  for (int Shift = 6 * (Trail - 1); Shift >= 0; Shift -= 6) {
    Result.push_back(static_cast<char>(0x80 | ((Code >> Shift) & 0x3F)));
  }
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view Text) {
  std::u16string Result;
  Result.reserve(Text.size());
  for (char Byte : Text) Result.push_back(ToUtf16(Cp1251, static_cast<unsigned char>(Byte)));
  return Result;
}

std::string Utf16ToAnsi(std::u16string_view Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    // A surrogate pair is one character outside the code page: one '?'.
    bool Pair = IsHighSurrogate(Text[Index]) && Index + 1 < Text.size() && IsLowSurrogate(Text[Index + 1]);
    Result.push_back(Pair ? '?' : ToCp1251(Text[Index]));
    if (Pair) ++Index;
  }
  return Result;
}

std::string OemToAnsi(std::string_view Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (char Byte : Text) Result.push_back(ToCp1251(ToUtf16(Cp866, static_cast<unsigned char>(Byte))));
  return Result;
}

std::string LocaleToAnsi(std::string_view Text) { return Utf8ToAnsi(Text); }

std::string Utf8ToAnsi(std::string_view Text) {
  std::u16string Wide;
  if (!DecodeUtf8(Text, Wide, false)) return std::string(Text);
  return Utf16ToAnsi(Wide);
}

std::u16string Utf8ToUtf16(std::string_view Text) {
  std::u16string Wide;
  DecodeUtf8(Text, Wide, true);
  return Wide;
}

std::string Utf16ToUtf8(std::u16string_view Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    char32_t Code = Text[Index];
    if (IsHighSurrogate(Text[Index]) && Index + 1 < Text.size() && IsLowSurrogate(Text[Index + 1])) {
      Code = 0x10000 + ((Code - 0xD800) << 10) + (Text[++Index] - 0xDC00);
    } else if (IsHighSurrogate(Text[Index]) || IsLowSurrogate(Text[Index])) {
      Code = 0xFFFD;
    }
    AppendUtf8(Result, Code);
  }
  return Result;
}

std::string Utf16ToLocale(std::u16string_view Text) { return Utf16ToUtf8(Text); }
