// Tests of the regional settings: they agree with what the C runtime reads
// from the same environment, fall back when empty, and can be replaced.
#include "platform/Regional.h"

#include <gtest/gtest.h>

#include <clocale>
#include <ctime>
#include <string>

namespace {

// The C runtime's view of the environment's locale, taken and then undone.
struct TRuntimeLocale {
  std::string DecimalPoint;
  std::string Morning;
  std::string Afternoon;
};

std::string MarkerAt(int Hour) {
  std::tm Time{};
  Time.tm_hour = Hour;
  Time.tm_mday = 1;
  char Text[64] = {};
  std::strftime(Text, sizeof Text, "%p", &Time);
  return Text;
}

TRuntimeLocale ReadRuntimeLocale() {
  std::setlocale(LC_ALL, "");
  TRuntimeLocale Runtime{std::localeconv()->decimal_point, MarkerAt(1), MarkerAt(13)};
  std::setlocale(LC_ALL, "C");
  return Runtime;
}

bool IsAscii(const std::string& Text) {
  for (unsigned char C : Text)
    if (C >= 0x80) return false;
  return true;
}

}  // namespace

TEST(RegionalHost, AgreesWithTheRuntimeLocale) {
  const TRegionalSettings Host = ReadRegionalSettings();
  const TRuntimeLocale Runtime = ReadRuntimeLocale();
  std::printf("decimal separator \"%s\", markers \"%s\" \"%s\"\n", Host.DecimalSeparator.c_str(),
              Host.MorningMarker.c_str(), Host.AfternoonMarker.c_str());
  EXPECT_EQ(Host.DecimalSeparator, Runtime.DecimalPoint.empty() ? "." : Runtime.DecimalPoint);
  // Non-ASCII markers come in the runtime's character set, not the ANSI one:
  // only ASCII ones are compared.
  if (IsAscii(Runtime.Morning)) {
    EXPECT_EQ(Host.MorningMarker, Runtime.Morning.empty() ? "AM" : Runtime.Morning);
  }
  if (IsAscii(Runtime.Afternoon)) {
    EXPECT_EQ(Host.AfternoonMarker, Runtime.Afternoon.empty() ? "PM" : Runtime.Afternoon);
  }
}

TEST(RegionalHost, NothingIsEverEmpty) {
  const TRegionalSettings Host = ReadRegionalSettings();
  EXPECT_FALSE(Host.DecimalSeparator.empty());
  EXPECT_FALSE(Host.MorningMarker.empty());
  EXPECT_FALSE(Host.AfternoonMarker.empty());
}

TEST(RegionalHost, ReadingLeavesTheProcessLocaleAlone) {
  const std::string Before = std::setlocale(LC_ALL, nullptr);
  ReadRegionalSettings();
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), Before);
}

TEST(RegionalProcessWide, ReplacedForTests) {
  const TRegionalSettings Saved = RegionalSettings();
  SetRegionalSettings({",", "am", "pm"});
  EXPECT_EQ(RegionalSettings().DecimalSeparator, ",");
  SetRegionalSettings({".", "AM", "PM"});
  EXPECT_EQ(RegionalSettings().DecimalSeparator, ".");
  EXPECT_EQ(RegionalSettings().AfternoonMarker, "PM");
  SetRegionalSettings(Saved);
}
