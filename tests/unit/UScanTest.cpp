// Tests of the formatted text scanner: switches, numbers, texts, stops.
#include "common/UScan.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

// Scans Text with "%d" into a place that starts at a marker value.
struct TOneInt {
  int Result;
  int32_t Value;
};
TOneInt ScanInt(std::string_view Text) {
  int32_t Value = -777;
  const int Result = ScanText(Text, "%d", {&Value});
  return {Result, Value};
}

// Scans Text with "%d.%d.%d" into three places that start at a marker value.
struct TThreeInts {
  int Result;
  int32_t A, B, C;
};
TThreeInts ScanAddress(std::string_view Text) {
  TThreeInts R{0, -7, -7, -7};
  R.Result = ScanText(Text, "%d.%d.%d", {&R.A, &R.B, &R.C});
  return R;
}

}  // namespace

TEST(ScanTextSwitch, NumberAfterLiteralPrefix) {
  int32_t Port = -1;
  EXPECT_EQ(ScanText("/port=80", "/port=%d", {&Port}), 1);
  EXPECT_EQ(Port, 80);
  Port = -1;
  EXPECT_EQ(ScanText("/port=80abc", "/port=%d", {&Port}), 1);
  EXPECT_EQ(Port, 80);
}

TEST(ScanTextSwitch, LiteralCaseMattersAndValueMustBePresent) {
  for (const char* Text : {"/Port=80", "/port=", "/port=-", "/port=+", "/port", ""}) {
    int32_t Port = 1234;
    EXPECT_EQ(ScanText(Text, "/port=%d", {&Port}), 0) << Text;
    EXPECT_EQ(Port, 1234) << Text;
  }
}

TEST(ScanTextSwitch, TextValueEndsAtFirstSeparator) {
  std::string Server = "unchanged";
  EXPECT_EQ(ScanText("/server=alpha", "/server=%s", {&Server}), 1);
  EXPECT_EQ(Server, "alpha");
  EXPECT_EQ(ScanText("/server=alpha beta", "/server=%s", {&Server}), 1);
  EXPECT_EQ(Server, "alpha");
  for (char Separator : {'\t', '\n', '\v', '\f', '\r'}) {
    EXPECT_EQ(ScanText("/server=gamma"s + Separator + "x", "/server=%s", {&Server}), 1);
    EXPECT_EQ(Server, "gamma");
  }
}

TEST(ScanTextSwitch, EmptyTextValueStoresNothing) {
  std::string Key = "old";
  EXPECT_EQ(ScanText("/commandkey=", "/commandkey=%s", {&Key}), 0);
  EXPECT_EQ(ScanText("/commandkey=\v", "/commandkey=%s", {&Key}), 0);
  EXPECT_EQ(Key, "old");
}

TEST(ScanTextSwitch, LongTextValueIsTakenWhole) {
  const std::string Long(5000, 'k');
  std::string Key;
  EXPECT_EQ(ScanText("/commandkey=" + Long, "/commandkey=%s", {&Key}), 1);
  EXPECT_EQ(Key, Long);
}

TEST(ScanTextNumber, SignsAndLeadingZeros) {
  EXPECT_EQ(ScanInt("+5").Value, 5);
  EXPECT_EQ(ScanInt("-0").Value, 0);
  EXPECT_EQ(ScanInt("007").Value, 7);
  EXPECT_EQ(ScanInt("-42").Value, -42);
  for (const char* Text : {"+5", "-0", "007", "-42"}) EXPECT_EQ(ScanInt(Text).Result, 1) << Text;
}

TEST(ScanTextNumber, HexPrefixIsNotRead) {
  const TOneInt R = ScanInt("0x1A");
  EXPECT_EQ(R.Result, 1);
  EXPECT_EQ(R.Value, 0);
}

TEST(ScanTextNumber, OverflowWrapsAround) {
  EXPECT_EQ(ScanInt("4294967297").Value, 1);
  EXPECT_EQ(ScanInt("2147483648").Value, INT32_MIN);
  EXPECT_EQ(ScanInt("-2147483648").Value, INT32_MIN);
  EXPECT_EQ(ScanInt("4294967295").Value, -1);
  EXPECT_EQ(ScanInt("99999999999999999999").Result, 1);
}

TEST(ScanTextNumber, WhitespaceBeforeNumberIsSkippedButNotAfterSign) {
  EXPECT_EQ(ScanInt(" \t\r\n12").Value, 12);
  EXPECT_EQ(ScanInt("- 12").Result, 0);
  EXPECT_EQ(ScanInt("\v12").Result, 0);
}

TEST(ScanTextAddress, CountsValuesUpToTheStop) {
  const TThreeInts Two = ScanAddress("1.2");
  EXPECT_EQ(Two.Result, 2);
  EXPECT_EQ(Two.A, 1);
  EXPECT_EQ(Two.B, 2);
  EXPECT_EQ(Two.C, -7);

  const TThreeInts Comma = ScanAddress("1,2,3");
  EXPECT_EQ(Comma.Result, 1);
  EXPECT_EQ(Comma.B, -7);
}

TEST(ScanTextAddress, BlanksBeforeNumbersAndTrailingTextIgnored) {
  for (const char* Text : {" 1. 2. 3", "1.2.3.4", "1.2.3xyz"}) {
    const TThreeInts R = ScanAddress(Text);
    EXPECT_EQ(R.Result, 3) << Text;
    EXPECT_EQ(R.A, 1);
    EXPECT_EQ(R.B, 2);
    EXPECT_EQ(R.C, 3);
  }
  // A blank between a number and its literal point is not skipped.
  EXPECT_EQ(ScanAddress("1 .2.3").Result, 1);
}

TEST(ScanTextAddress, ColonFormat) {
  int32_t A = 0, B = 0, C = 0;
  EXPECT_EQ(ScanText("3:14:159", "%d:%d:%d", {&A, &B, &C}), 3);
  EXPECT_EQ(A * 1000000 + B * 1000 + C, 3014159);
}

TEST(ScanTextDateTime, TextEndingBeforeFractionGivesSix) {
  int32_t V[7] = {0, 0, 0, 0, 0, 0, -5};
  EXPECT_EQ(ScanText("07.12.2026 23:18:20", "%d.%d.%d %d:%d:%d.%d", {&V[0], &V[1], &V[2], &V[3], &V[4], &V[5], &V[6]}),
            6);
  EXPECT_EQ(V[0], 7);
  EXPECT_EQ(V[2], 2026);
  EXPECT_EQ(V[5], 20);
  EXPECT_EQ(V[6], -5);
  EXPECT_EQ(ScanText("07.12.2026 23:18:20.125", "%d.%d.%d %d:%d:%d.%d",
                     {&V[0], &V[1], &V[2], &V[3], &V[4], &V[5], &V[6]}),
            7);
  EXPECT_EQ(V[6], 125);
}

TEST(ScanTextDateTime, FormatWhitespaceMatchesAnyRunIncludingNone) {
  int32_t D = 0, H = 0;
  EXPECT_EQ(ScanText("5x9", "%dx %d", {&D, &H}), 2);
  EXPECT_EQ(ScanText("5x \t\r\n 9", "%dx  %d", {&D, &H}), 2);
  EXPECT_EQ(D + H, 14);
}

TEST(ScanTextBytes, ByteFFBelongsToTextValue) {
  const std::string Text = "/server=a\xFF" "b c";
  std::string Server;
  EXPECT_EQ(ScanText(Text, "/server=%s", {&Server}), 1);
  EXPECT_EQ(Server, "a\xFF" "b");
  EXPECT_EQ(ScanText("\xFF", "%s", {&Server}), 1);
  EXPECT_EQ(Server, "\xFF");
}

TEST(ScanTextBytes, TextEndsAtNul) {
  std::string Server;
  EXPECT_EQ(ScanText("/server=ab\0cd"s, "/server=%s", {&Server}), 1);
  EXPECT_EQ(Server, "ab");
  int32_t A = 0, B = -3;
  EXPECT_EQ(ScanText("1.\0" "2"s, "%d.%d", {&A, &B}), 1);
  EXPECT_EQ(B, -3);
}

TEST(ScanTextConversion, UpperCaseLettersConvert) {
  int32_t N = 0;
  std::string S;
  EXPECT_EQ(ScanText("12 word", "%D %S", {&N, &S}), 2);
  EXPECT_EQ(N, 12);
  EXPECT_EQ(S, "word");
}

TEST(ScanTextConversion, PercentPercentMatchesPercent) {
  int32_t N = 0;
  EXPECT_EQ(ScanText("50%7", "50%%%d", {&N}), 1);
  EXPECT_EQ(N, 7);
  EXPECT_EQ(ScanText("50x7", "50%%%d", {&N}), 0);
}

TEST(ScanTextConversion, UnknownOrTrailingPercentStops) {
  int32_t A = 0, B = -1;
  EXPECT_EQ(ScanText("1 2", "%d %x %d", {&A, &B}), 1);
  EXPECT_EQ(ScanText("1%", "%d%", {&A}), 1);
  EXPECT_EQ(B, -1);
}

TEST(ScanTextPlaces, MissingPlaceGivesMinusTwoAfterStoring) {
  int32_t A = 0;
  EXPECT_EQ(ScanText("4.5", "%d.%d", {&A}), -2);
  EXPECT_EQ(A, 4);
  EXPECT_EQ(ScanText("", "%d", {}), -2);
}

TEST(ScanTextPlaces, WrongKindOrNullPlaceCountsAsMissing) {
  std::string S = "keep";
  int32_t N = 9;
  EXPECT_EQ(ScanText("12", "%d", {&S}), -2);
  EXPECT_EQ(ScanText("ab", "%s", {&N}), -2);
  EXPECT_EQ(ScanText("12", "%d", {static_cast<int32_t*>(nullptr)}), -2);
  EXPECT_EQ(S, "keep");
  EXPECT_EQ(N, 9);
}

TEST(ScanTextPlaces, StopsWhenTextUsedUpBeforeMissingPlace) {
  int32_t A = 0;
  EXPECT_EQ(ScanText("4", "%d.%d", {&A}), 1);
}
