// Tests of point addresses, the field number conversion and flag letters.
#include "telemetry/Telemetry.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr TPointAddress Untouched{111, 222, 333};

bool SameAddress(const TPointAddress& A, const TPointAddress& B) {
  return A.Channel == B.Channel && A.Rtu == B.Rtu && A.Point == B.Point;
}

// Parses Text into a record that starts as Untouched.
TPointAddress Parsed(std::string_view Text, bool& Ok) {
  TPointAddress Address = Untouched;
  Ok = ParsePointAddress(Text, Address);
  return Address;
}

}  // namespace

TEST(PointAddressLayout, SixBytesLittleEndianChannelRtuPoint) {
  const TPointAddress Address{0x0102, 0x0304, 0x0506};
  unsigned char Bytes[sizeof Address];
  std::memcpy(Bytes, &Address, sizeof Address);
  const unsigned char Expected[] = {0x02, 0x01, 0x04, 0x03, 0x06, 0x05};
  EXPECT_EQ(std::memcmp(Bytes, Expected, sizeof Expected), 0);
  TPointAddress List[3];
  EXPECT_EQ(sizeof List, 18u);
}

TEST(PointAddressParse, LowestAndHighestValuesAccepted) {
  bool Ok = false;
  EXPECT_TRUE(SameAddress(Parsed("0.1.1", Ok), TPointAddress{0, 1, 1}));
  EXPECT_TRUE(Ok);
  EXPECT_TRUE(SameAddress(Parsed("255.255.65535", Ok), TPointAddress{255, 255, 65535}));
  EXPECT_TRUE(Ok);
  EXPECT_TRUE(SameAddress(Parsed("1.1.65535", Ok), TPointAddress{1, 1, 65535}));
  EXPECT_TRUE(Ok);
}

TEST(PointAddressParse, OutOfRangeRejectedAndRecordUntouched) {
  for (const char* Text : {"1.0.5", "1.1.0", "256.1.1", "1.256.1", "1.1.65536", "-1.1.1", "1.-1.1", "1.1.-1",
                           "2147483648.1.1", "1.1.4294967296",
                           // The scanner would wrap these round to 1.2.3 and to a valid point.
                           "4294967297.2.3", "1.2.4294967299", "1.2.0000065536"}) {
    bool Ok = true;
    EXPECT_TRUE(SameAddress(Parsed(Text, Ok), Untouched)) << Text;
    EXPECT_FALSE(Ok) << Text;
  }
}

TEST(PointAddressParse, IncompleteOrMalformedRejected) {
  for (const char* Text : {"", "1.2", "1.2.", "1,2,3", "a.b.c", "1..3", ".1.2.3", "1 .2.3"}) {
    bool Ok = true;
    EXPECT_TRUE(SameAddress(Parsed(Text, Ok), Untouched)) << Text;
    EXPECT_FALSE(Ok) << Text;
  }
}

TEST(PointAddressParse, ScannerLeniencyKept) {
  for (const char* Text : {"1.2.3.4", " 1. 2. 3", "+1.+2.+3", "1.2.3abc", "01.002.0003", "1.2.3.99999999999"}) {
    bool Ok = false;
    EXPECT_TRUE(SameAddress(Parsed(Text, Ok), TPointAddress{1, 2, 3})) << Text;
    EXPECT_TRUE(Ok) << Text;
  }
}

TEST(PointAddressParse, QueryTextsInUtf16) {
  TPointAddress Address = Untouched;
  EXPECT_TRUE(ParsePointAddress(u" 7.8.9", Address));
  EXPECT_TRUE(SameAddress(Address, TPointAddress{7, 8, 9}));
  // Digits of other scripts are no digits of an address.
  Address = Untouched;
  EXPECT_FALSE(ParsePointAddress(u"1.2.\u0663", Address));
  EXPECT_FALSE(ParsePointAddress(u"\uFF11.2.3", Address));
  EXPECT_TRUE(SameAddress(Address, Untouched));
}

TEST(IntTextValueForms, DecimalAndHexadecimalWithBlanksAndSigns) {
  const struct {
    const char* Text;
    int32_t Value;
  } Cases[] = {{"5", 5},     {"   5", 5},   {"+5", 5},      {"-5", -5},      {"007", 7},     {"-0", 0},
               {"$1F", 31},  {"$1f", 31},   {"0x1F", 31},   {"0X1f", 31},    {"-$10", -16},  {" 0x0A", 10},
               {"+$ff", 255}, {"0x0", 0}};
  for (const auto& Case : Cases) {
    int32_t Value = Case.Value + 1;
    EXPECT_TRUE(IntTextValue(Case.Text, Value)) << Case.Text;
    EXPECT_EQ(Value, Case.Value) << Case.Text;
  }
}

TEST(IntTextValueForms, NotAnInteger) {
  for (const char* Text : {"", " ", "+", "-", "$", "0x", "-$", "5 ", "1.5", "1e3", "\t5", "5x", "--5", "+-5", "x1F",
                           "T", "T-1", "1F", "$1G", "00x1", "0x-1"}) {
    int32_t Value = 0;
    EXPECT_FALSE(IntTextValue(Text, Value)) << '"' << Text << '"';
  }
}

TEST(IntTextValueForms, TextEndsAtItsLengthNotAtNul) {
  using namespace std::string_view_literals;
  int32_t Value = 0;
  EXPECT_FALSE(IntTextValue("5\0"sv, Value));
}

TEST(IntTextValueLimits, Signed32BitRange) {
  const struct {
    const char* Text;
    int32_t Value;
  } Limits[] = {{"2147483647", INT32_MAX},
                {"-2147483648", INT32_MIN},
                {"$7FFFFFFF", INT32_MAX},
                {"-0x80000000", INT32_MIN}};
  for (const auto& Limit : Limits) {
    int32_t Value = 0;
    EXPECT_TRUE(IntTextValue(Limit.Text, Value)) << Limit.Text;
    EXPECT_EQ(Value, Limit.Value) << Limit.Text;
  }
  for (const char* Text : {"2147483648", "-2147483649", "$80000000", "$FFFFFFFF", "99999999999999999999",
                           "0x100000000"}) {
    int32_t Value = 0;
    EXPECT_FALSE(IntTextValue(Text, Value)) << Text;
  }
}

TEST(IntTextValueResult, StoresOnlyOnSuccess) {
  int32_t Value = 77;
  EXPECT_TRUE(IntTextValue(" -$FF", Value));
  EXPECT_EQ(Value, -255);
  EXPECT_FALSE(IntTextValue("12a", Value));
  EXPECT_EQ(Value, -255);
}

TEST(FlagLetters, ManualAndErrorFlagsForEveryKind) {
  EXPECT_EQ(StatusFlagLetters(0x0009), "EM");
  EXPECT_EQ(AnalogFlagLetters(0x0009), "EM");
  EXPECT_EQ(AccumFlagLetters(0x0009), "EM");
}

TEST(FlagLetters, KindLimitsTheLetters) {
  EXPECT_EQ(StatusFlagLetters(0x6011), "ENU1");
  EXPECT_EQ(AnalogFlagLetters(0x6011), "E1");
  EXPECT_EQ(AccumFlagLetters(0x6011), "E");
}

TEST(FlagLetters, AllBitsSetGiveTheFixedOrder) {
  EXPECT_EQ(StatusFlagLetters(0xFFFF), "ERMZNU1234");
  EXPECT_EQ(AnalogFlagLetters(0xFFFF), "ERMZ1234");
  EXPECT_EQ(AccumFlagLetters(0xFFFF), "ERMZ");
}

TEST(FlagLetters, BitsWithoutLettersGiveNothing) {
  const uint16_t Unlettered = 0x0004 | 0x0100 | 0x0400 | 0x0800 | 0x1000 | 0x8000;
  EXPECT_EQ(StatusFlagLetters(Unlettered), "");
  EXPECT_EQ(AnalogFlagLetters(Unlettered), "");
  EXPECT_EQ(AccumFlagLetters(Unlettered), "");
  EXPECT_EQ(StatusFlagLetters(0), "");
}

TEST(FlagLetters, SingleBits) {
  EXPECT_EQ(StatusFlagLetters(0x0002), "R");
  EXPECT_EQ(StatusFlagLetters(0x0200), "Z");
  EXPECT_EQ(StatusFlagLetters(0x2000), "N");
  EXPECT_EQ(StatusFlagLetters(0x4000), "U");
  EXPECT_EQ(AnalogFlagLetters(0x0080), "4");
  EXPECT_EQ(AccumFlagLetters(0x0080), "");
  EXPECT_EQ(AnalogFlagLetters(0x2000), "");
}
