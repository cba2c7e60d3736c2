// Tests of the number text of readings and event texts: rounding of the
// exact binary value, negative values, no separator for 0 decimals, the
// separator given or taken from the regional settings.
#include "common/UNumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "common/UCommon.h"
#include "platform/Regional.h"

namespace {

struct TCase {
  double Value;
  int Decimals;
  const char* Text;
};

TEST(FixedText, RoundsTheExactValueToTheDecimals) {
  const TCase Cases[] = {
      {12.5, 4, "12.5000"},
      {1234.6f, 0, "1235"},             // the float is 1234.5999755...
      {110.127f, 2, "110.13"},
      {2.675, 2, "2.67"},               // the double is 2.67499999...
      {0.125, 2, "0.12"},               // an exact half goes to the even digit
      {0.375, 2, "0.38"},
      {7.7, -1, "8"},                   // decimals below 0 count as 0
      {0.0, 0, "0"},
      {0.0, 3, "0.000"},
      {1e20, 1, "100000000000000000000.0"},
      {123456789.0, 0, "123456789"},    // no thousands separator
  };
  for (const TCase& Case : Cases) EXPECT_EQ(FixedText(Case.Value, Case.Decimals, "."), Case.Text) << Case.Value;
}

TEST(FixedText, NegativeValuesCarryAMinusSign) {
  const TCase Cases[] = {{-3.25, 4, "-3.2500"}, {-3.25f, 0, "-3"}, {-1234.567f, 2, "-1234.57"}, {-0.75, 0, "-1"}};
  for (const TCase& Case : Cases) EXPECT_EQ(FixedText(Case.Value, Case.Decimals, "."), Case.Text) << Case.Value;
}

TEST(FixedText, SeparatorAsGivenRegionalOrPoint) {
  EXPECT_EQ(FixedText(-12.5, 2, ","), "-12,50");
  EXPECT_EQ(FixedText(1.5, 1, "<>"), "1<>5");
  EXPECT_EQ(FixedText(15.0, 0, ","), "15");
  const TRegionalSettings Saved = RegionalSettings();
  TRegionalSettings Comma = Saved;
  Comma.DecimalSeparator = ",";
  SetRegionalSettings(Comma);
  EXPECT_EQ(FixedText(0.5, 3), "0,500");
  Config.DecimalSeparator = TDecimalSeparator::Point;
  EXPECT_EQ(FixedText(0.5, 3), "0.500");
  Config.DecimalSeparator = TDecimalSeparator::Regional;
  SetRegionalSettings(Saved);
}

TEST(FixedText, NonFiniteValuesNamed) {
  EXPECT_EQ(FixedText(std::numeric_limits<double>::quiet_NaN(), 2, "."), "nan");
  EXPECT_EQ(FixedText(std::numeric_limits<double>::infinity(), 2, "."), "inf");
  EXPECT_EQ(FixedText(-std::numeric_limits<double>::infinity(), 2, "."), "-inf");
}

}  // namespace
