// Code pages on Win32: the host's ANSI and OEM code pages through
// MultiByteToWideChar and WideCharToMultiByte.
#include "platform/CodePage.h"

#include <windows.h>

// winuser.h keeps an old macro of this name for OemToCharA.
#undef OemToAnsi

#include <climits>

namespace {

// Texts longer than an int can count are cut to what it can: no text of
// the gateway comes near that.
int Count(std::size_t Size) { return Size > INT_MAX ? INT_MAX : static_cast<int>(Size); }

// Empty when Text is empty or, with MB_ERR_INVALID_CHARS, not valid.
std::u16string ToUtf16(UINT CodePage, std::string_view Text, DWORD Flags = 0) {
  if (Text.empty()) return {};
  int Size = Count(Text.size());
  // One code unit per byte in every single-byte code page, and never more
  // code units than bytes in UTF-8.
  std::u16string Result(static_cast<std::size_t>(Size), u'\0');
  int Written =
      MultiByteToWideChar(CodePage, Flags, Text.data(), Size, reinterpret_cast<wchar_t*>(Result.data()), Size);
  Result.resize(Written > 0 ? static_cast<std::size_t>(Written) : 0);
  return Result;
}

std::string FromUtf16(UINT CodePage, std::u16string_view Text) {
  if (Text.empty()) return {};
  const auto* Wide = reinterpret_cast<const wchar_t*>(Text.data());
  int Size = Count(Text.size());
  // No best fit: a character outside the code page becomes the default
  // character, never a look-alike such as a plain quote. UTF-8 holds every
  // character and takes no such flag.
  DWORD Flags = CodePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int Needed = WideCharToMultiByte(CodePage, Flags, Wide, Size, nullptr, 0, nullptr, nullptr);
  if (Needed <= 0) return {};
  std::string Result(static_cast<std::size_t>(Needed), '\0');
  int Written = WideCharToMultiByte(CodePage, Flags, Wide, Size, Result.data(), Needed, nullptr, nullptr);
  Result.resize(Written > 0 ? static_cast<std::size_t>(Written) : 0);
  return Result;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view Text) { return ToUtf16(CP_ACP, Text); }

std::string Utf16ToAnsi(std::u16string_view Text) { return FromUtf16(CP_ACP, Text); }

std::string OemToAnsi(std::string_view Text) { return FromUtf16(CP_ACP, ToUtf16(CP_OEMCP, Text)); }

std::string LocaleToAnsi(std::string_view Text) { return std::string(Text); }

std::string Utf8ToAnsi(std::string_view Text) {
  std::u16string Wide = ToUtf16(CP_UTF8, Text, MB_ERR_INVALID_CHARS);
  if (Wide.empty()) return std::string(Text);
  return FromUtf16(CP_ACP, Wide);
}

std::u16string Utf8ToUtf16(std::string_view Text) { return ToUtf16(CP_UTF8, Text); }

std::string Utf16ToUtf8(std::u16string_view Text) { return FromUtf16(CP_UTF8, Text); }

std::string Utf16ToLocale(std::u16string_view Text) { return Utf16ToAnsi(Text); }
