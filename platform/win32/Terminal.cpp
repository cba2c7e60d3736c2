// Terminal on Win32: output in the console's output code page.
#include "platform/Terminal.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <climits>
#include <cstdio>

namespace {

int Count(std::size_t Size) { return Size > INT_MAX ? INT_MAX : static_cast<int>(Size); }

}  // namespace

std::string Utf16ToTerminal(std::u16string_view Text) {
  if (Text.empty()) return {};
  UINT CodePage = GetConsoleOutputCP();
  if (CodePage == 0) CodePage = CP_ACP;
  const auto* Wide = reinterpret_cast<const wchar_t*>(Text.data());
  int Size = Count(Text.size());
  // UTF-8 consoles take no flags; single-byte ones must not turn an
  // unknown character into a look-alike.
  DWORD Flags = CodePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int Needed = WideCharToMultiByte(CodePage, Flags, Wide, Size, nullptr, 0, nullptr, nullptr);
  if (Needed <= 0) return {};
  std::string Result(static_cast<std::size_t>(Needed), '\0');
  WideCharToMultiByte(CodePage, Flags, Wide, Size, Result.data(), Needed, nullptr, nullptr);
  return Result;
}

void SetBinaryOutput() { _setmode(_fileno(stdout), _O_BINARY); }
