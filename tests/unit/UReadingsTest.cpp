// Tests of the units field that the value records carry: its text and the
// decimals that its byte 7 encodes.
#include "queries/UUnits.h"
#include "queries/UValueItems.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

struct TUnitsField {
  char Bytes[8];
};

TUnitsField Field(const char* Text, unsigned char Byte7) {
  TUnitsField Units{};
  std::memcpy(Units.Bytes, Text, std::strlen(Text));
  Units.Bytes[7] = static_cast<char>(Byte7);
  return Units;
}

TEST(UnitsDecimals, ByteSevenMinusSevenBySixteen) {
  const struct {
    unsigned char Byte7;
    int Decimals;
  } Cases[] = {{0, 0}, {6, 0}, {7, 0}, {22, 0}, {23, 1}, {32, 1}, {38, 1}, {39, 2}, {55, 3}, {247, 15}, {255, 15}};
  for (const auto& Case : Cases) EXPECT_EQ(UnitsDecimals(Field("", Case.Byte7).Bytes), Case.Decimals) << +Case.Byte7;
}

TEST(UnitsText, UpToTheFirstBlankOrNul) {
  EXPECT_EQ(UnitsText(Field("\xEA\xC2", 39).Bytes), "\xEA\xC2");  // "кВ" in Windows-1251
  EXPECT_EQ(UnitsText(Field("kW h", 0).Bytes), "kW");
  EXPECT_EQ(UnitsText(Field(" kV", 39).Bytes), "");
  EXPECT_EQ(UnitsText(Field("", 32).Bytes), "");
  // Without a blank or NUL all 8 bytes count, the decimals byte too.
  EXPECT_EQ(UnitsText(Field("MWh/day", '\'').Bytes), "MWh/day'");
}

TEST(ValueUsable, ANumberNotAbove1e20WithFlagsNotAllSet) {
  const struct {
    float Value;
    uint16_t Flags;
    bool Usable;
  } Cases[] = {{12.5f, 0, true},
               {-3.25f, 0x0011, true},
               {99999995e12f, 0, true},  // the float just below 1e20
               {1e20f, 0, false},        // the float nearest 1e20 lies above it
               {1e21f, 0, false},
               {std::numeric_limits<float>::quiet_NaN(), 0, false},
               {std::numeric_limits<float>::infinity(), 0, false},
               {0.0f, 0xFFFF, false}};
  for (const auto& Case : Cases) EXPECT_EQ(ValueUsable(Case.Value, Case.Flags), Case.Usable) << Case.Value;
}

}  // namespace
