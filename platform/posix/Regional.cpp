// Regional, POSIX: the environment's locale, read through a locale object of
// its own so that the process-wide locale stays "C".
#include "platform/Regional.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

namespace {

// A text in the locale's character set turned into Windows-1251; nothing
// when a character has no Windows-1251 form.
std::optional<std::string> ToAnsi(std::string_view Text, const char* CodeSet) {
  iconv_t Converter = iconv_open("CP1251", CodeSet);
  if (Converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::unique_ptr<void, int (*)(iconv_t)> Closer(Converter, iconv_close);
  std::string In(Text);
  std::string Out(In.size(), '\0');  // Windows-1251 never needs more bytes
  char* InPos = In.data();
  char* OutPos = Out.data();
  size_t InLeft = In.size();
  size_t OutLeft = Out.size();
  if (iconv(Converter, &InPos, &InLeft, &OutPos, &OutLeft) == static_cast<size_t>(-1)) return std::nullopt;
  Out.resize(Out.size() - OutLeft);
  return Out;
}

// Replaces Setting by the locale's text for Item when that text is usable.
void TakeText(std::string& Setting, nl_item Item, locale_t Locale, const char* CodeSet) {
  const char* Text = nl_langinfo_l(Item, Locale);
  if (Text == nullptr || *Text == '\0') return;
  if (std::optional<std::string> Ansi = ToAnsi(Text, CodeSet); Ansi && !Ansi->empty()) Setting = *Ansi;
}

}  // namespace

TRegionalSettings ReadRegionalSettings() {
  TRegionalSettings Settings;
  const std::unique_ptr<std::remove_pointer_t<locale_t>, void (*)(locale_t)> Owner(
      newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr)), freelocale);
  // No locale object when the environment names a locale that is not installed.
  if (!Owner) return Settings;
  const locale_t Locale = Owner.get();
  const char* CodeSet = nl_langinfo_l(CODESET, Locale);
  TakeText(Settings.DecimalSeparator, RADIXCHAR, Locale, CodeSet);
  TakeText(Settings.MorningMarker, AM_STR, Locale, CodeSet);
  TakeText(Settings.AfternoonMarker, PM_STR, Locale, CodeSet);
  return Settings;
}
