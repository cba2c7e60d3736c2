#include "UText.h"

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
