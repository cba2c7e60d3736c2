// Terminal on Win32: output in the console's output code page.
#include "platform/Terminal.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "CodePageWin32.h"

std::string Utf16ToTerminal(std::u16string_view Text) {
  UINT CodePage = GetConsoleOutputCP();
  if (CodePage == 0) CodePage = CP_ACP;
  return Utf16ToCodePage(CodePage, Text);
}

void SetBinaryOutput() { _setmode(_fileno(stdout), _O_BINARY); }
