// CodePageWin32: the Win32 units' one way from UTF-16 to the bytes of a
// code page (CodePage.cpp), shared by the code pages and the terminal.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// UTF-16 to CodePage bytes, no best fit: a character outside the code page
// becomes its default character, never a look-alike. Empty when Text is
// empty or the conversion fails.
std::string Utf16ToCodePage(UINT CodePage, std::u16string_view Text);
