// Regional, Win32: the user's default locale, as ANSI texts.
#include "platform/Regional.h"

#include <windows.h>

namespace {

// Replaces Setting by the locale's text for Type when there is one and every
// character of it has an ANSI form (no best-fit look-alikes).
void TakeText(std::string& Setting, LCTYPE Type) {
  wchar_t Wide[96];
  const int WideLength = GetLocaleInfoW(LOCALE_USER_DEFAULT, Type, Wide, 96);
  // The length counts the terminating NUL: 0 means failure, 1 an empty text.
  if (WideLength <= 1) return;
  char Ansi[96 * 2];
  BOOL UsedDefault = FALSE;
  const int AnsiLength = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide, WideLength - 1, Ansi, sizeof Ansi,
                                             nullptr, &UsedDefault);
  if (AnsiLength > 0 && !UsedDefault) Setting.assign(Ansi, static_cast<size_t>(AnsiLength));
}

}  // namespace

TRegionalSettings ReadRegionalSettings() {
  TRegionalSettings Settings;
  TakeText(Settings.DecimalSeparator, LOCALE_SDECIMAL);
  TakeText(Settings.MorningMarker, LOCALE_S1159);
  TakeText(Settings.AfternoonMarker, LOCALE_S2359);
  return Settings;
}
