// Regional: the host's regional settings that number and time texts follow:
// the decimal separator and the morning and afternoon markers.
//
// Win32 reads the user's default locale (GetLocaleInfo), POSIX the locale
// named by the environment (LC_ALL, LC_NUMERIC, LC_TIME, LANG) without
// touching the process-wide C locale. Every text is in the ANSI code page
// (Windows-1251 on POSIX, converted from the locale's own character set).
// A setting that cannot be read, is empty, or does not fit the ANSI code
// page falls back to ".", "AM" and "PM" respectively.
//
// RegionalSettings() may be called from any thread; the host is read once,
// when the settings are first used. SetRegionalSettings() replaces them:
// REQUIRES: no other thread uses them at that time (start-up, test set-up).
#pragma once

#include <string>

struct TRegionalSettings {
  std::string DecimalSeparator = ".";
  std::string MorningMarker = "AM";
  std::string AfternoonMarker = "PM";
};

// Reads the host's settings now, with the fall-backs applied.
TRegionalSettings ReadRegionalSettings();

namespace RegionalDetail {
// The one process-wide copy; the host is read when it is first reached.
inline TRegionalSettings& Current() {
  static TRegionalSettings Settings = ReadRegionalSettings();
  return Settings;
}
}  // namespace RegionalDetail

// The process-wide settings.
inline const TRegionalSettings& RegionalSettings() { return RegionalDetail::Current(); }
inline void SetRegionalSettings(const TRegionalSettings& Settings) { RegionalDetail::Current() = Settings; }
