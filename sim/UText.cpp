#include "UText.h"

#include "platform/CodePage.h"

std::u16string Utf8ToUtf16(std::string_view Text) {
  std::u16string Out;
  Out.reserve(Text.size());
  for (size_t I = 0; I < Text.size();) {
    const auto Lead = static_cast<unsigned char>(Text[I]);
    const int Extra = Lead < 0x80 ? 0 : (Lead >> 5) == 6 ? 1 : (Lead >> 4) == 14 ? 2 : (Lead >> 3) == 30 ? 3 : -1;
    char32_t Code = Extra == 0 ? Lead : Extra == 1 ? Lead & 0x1F : Extra == 2 ? Lead & 0x0F : Lead & 0x07;
    bool Valid = Extra >= 0 && I + Extra < Text.size();
    for (int K = 1; Valid && K <= Extra; ++K) {
      const auto Next = static_cast<unsigned char>(Text[I + K]);
      Valid = (Next & 0xC0) == 0x80;
      Code = (Code << 6) | (Next & 0x3F);
    }
    if (!Valid || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) {
      Out.push_back(u'\uFFFD');
      ++I;
      continue;
    }
    I += Extra + 1;
    if (Code >= 0x10000) {
      Code -= 0x10000;
      Out.push_back(static_cast<char16_t>(0xD800 + (Code >> 10)));
      Out.push_back(static_cast<char16_t>(0xDC00 + (Code & 0x3FF)));
    } else {
      Out.push_back(static_cast<char16_t>(Code));
    }
  }
  return Out;
}

std::string Utf16ToUtf8(std::u16string_view Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    char32_t Code = Text[I];
    if (Code >= 0xD800 && Code <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 && Text[I + 1] <= 0xDFFF) {
      Code = 0x10000 + ((Code - 0xD800) << 10) + (Text[++I] - 0xDC00);
    } else if (Code >= 0xD800 && Code <= 0xDFFF) {
      Code = 0xFFFD;
    }
    if (Code < 0x80) {
      Out.push_back(static_cast<char>(Code));
    } else if (Code < 0x800) {
      Out.push_back(static_cast<char>(0xC0 | (Code >> 6)));
      Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
    } else if (Code < 0x10000) {
      Out.push_back(static_cast<char>(0xE0 | (Code >> 12)));
      Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
      Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
    } else {
      Out.push_back(static_cast<char>(0xF0 | (Code >> 18)));
      Out.push_back(static_cast<char>(0x80 | ((Code >> 12) & 0x3F)));
      Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
      Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
    }
  }
  return Out;
}

std::string Utf8ToServer(std::string_view Text) { return Utf16ToAnsi(Utf8ToUtf16(Text)); }

std::string ServerToUtf8(std::string_view Text) { return Utf16ToUtf8(AnsiToUtf16(Text)); }

std::string Utf8ToOem(std::string_view Text) {
  std::string Out;
  for (const char16_t C : Utf8ToUtf16(Text)) {
    if (C < 0x80)
      Out.push_back(static_cast<char>(C));
    else if (C >= u'А' && C <= u'п')  // А..Я а..п: 0x80..0xAF
      Out.push_back(static_cast<char>(0x80 + (C - u'А')));
    else if (C >= u'р' && C <= u'я')
      Out.push_back(static_cast<char>(0xE0 + (C - u'р')));
    else if (C == u'Ё')
      Out.push_back(static_cast<char>(0xF0));
    else if (C == u'ё')
      Out.push_back(static_cast<char>(0xF1));
    else
      Out.push_back('?');
  }
  return Out;
}
