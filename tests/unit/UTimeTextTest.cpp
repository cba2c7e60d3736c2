// Tests of time texts: the absolute and the relative form against a fixed
// present moment, the regional separator and markers, and Unix seconds.
#include "telemetry/UTimeText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "common/UCommon.h"

using namespace std::chrono;

namespace {

TCalendarTime At(int Year, int Month, int Day, int Hour = 0, int Minute = 0, int Second = 0, int Millisecond = 0) {
  auto U = [](int V) { return static_cast<uint16_t>(V); };
  return {U(Year), U(Month), U(Day), U(Hour), U(Minute), U(Second), U(Millisecond)};
}

// Seconds since 1970-01-01 00:00 of a calendar moment, by std::chrono alone.
int64_t Seconds(year_month_day Date, int Hour = 0, int Minute = 0, int Second = 0) {
  return (sys_days{Date} + hours{Hour} + minutes{Minute} + seconds{Second}).time_since_epoch().count();
}

const TRegionalSettings Point{".", "AM", "PM"};
const TRegionalSettings Comma{",", "AM", "PM"};
// Windows-1251 markers "DP" and "PP" in Cyrillic capitals.
const TRegionalSettings Russian{",", "\xC4\xCF", "\xCF\xCF"};

constexpr TDateTime Sentinel = -12345.25;

// The value of Text read at Now, or Sentinel when it is not a time text.
TDateTime Read(std::string_view Text, const TCalendarTime& Now, const TRegionalSettings& Regional = Point) {
  TDateTime Value = Sentinel;
  const bool Ok = ParseTimeText(Text, Value, TTimeTextContext{Now, Regional});
  EXPECT_EQ(Ok, Value != Sentinel) << Text;
  return Value;
}

int64_t ReadSeconds(std::string_view Text, const TCalendarTime& Now, const TRegionalSettings& Regional = Point) {
  return DateTimeToUnix(Read(Text, Now, Regional));
}

bool Valid(std::string_view Text, const TCalendarTime& Now, const TRegionalSettings& Regional = Point) {
  return Read(Text, Now, Regional) != Sentinel;
}

// Milliseconds since midnight of a date-time.
double TimeOfDayMs(TDateTime Value) { return (Value - std::floor(Value)) * 86400000.0; }

const TCalendarTime Now2026 = At(2026, 7, 15, 14, 37, 45, 678);
// The last day of a 31-day month that follows a 28-day one.
const TCalendarTime March31 = At(2026, 3, 31, 14, 37, 45, 678);

}  // namespace

TEST(AbsoluteTimeText, DateAndTime) {
  EXPECT_EQ(ReadSeconds("05.03.2014 10:15", Now2026), Seconds(2014y / 3 / 5, 10, 15));
  EXPECT_EQ(ReadSeconds("05.03.2014 10:15:59", Now2026), Seconds(2014y / 3 / 5, 10, 15, 59));
  EXPECT_EQ(ReadSeconds("05.03.2014 7", Now2026), Seconds(2014y / 3 / 5, 7));
  EXPECT_EQ(ReadSeconds("31.12.2026 23:59:59", Now2026), Seconds(2026y / 12 / 31, 23, 59, 59));
}

TEST(AbsoluteTimeText, DateAloneIsMidnight) {
  EXPECT_EQ(ReadSeconds("05.03.2014", Now2026), Seconds(2014y / 3 / 5));
  EXPECT_EQ(ReadSeconds("05.03.2014.", Now2026), Seconds(2014y / 3 / 5));
  EXPECT_EQ(ReadSeconds("05.03.2014   ", Now2026), Seconds(2014y / 3 / 5));
  EXPECT_EQ(ReadSeconds("01.01.1970", Now2026), 0);
}

TEST(AbsoluteTimeText, BlanksBeforeNumbersAndSeparatorAfterDate) {
  EXPECT_EQ(ReadSeconds(" 5. 3. 2014  10: 15", Now2026), Seconds(2014y / 3 / 5, 10, 15));
  EXPECT_EQ(ReadSeconds("05.03.2014.10:15", Now2026), Seconds(2014y / 3 / 5, 10, 15));
}

TEST(AbsoluteTimeText, TextAfterTimeOfDayNotExamined) {
  EXPECT_EQ(ReadSeconds("05.03.2014 10:15 and more", Now2026), Seconds(2014y / 3 / 5, 10, 15));
}

TEST(AbsoluteTimeText, YearLeftOutIsThePresentYear) {
  EXPECT_EQ(ReadSeconds("05.03 10:15", Now2026), Seconds(2026y / 3 / 5, 10, 15));
  EXPECT_EQ(ReadSeconds("29.2", At(2024, 6, 1)), Seconds(2024y / 2 / 29));
  EXPECT_FALSE(Valid("29.2", At(2026, 6, 1)));
}

TEST(AbsoluteTimeText, TwoDigitYearWindowAroundThePresentYear) {
  EXPECT_EQ(ReadSeconds("5.3.14 10:15", Now2026), Seconds(2014y / 3 / 5, 10, 15));
  EXPECT_EQ(ReadSeconds("1.1.76", Now2026), Seconds(1976y / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.75", Now2026), Seconds(2075y / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.99", Now2026), Seconds(1999y / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.0", Now2026), Seconds(2000y / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.00", Now2026), Seconds(2000y / 1 / 1));
  // In 2049 the window is 1999 to 2098; in 2050 it is 2000 to 2099.
  EXPECT_EQ(ReadSeconds("1.1.99", At(2049, 1, 1)), Seconds(1999y / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.98", At(2049, 1, 1)), Seconds(2098y / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.99", At(2050, 12, 31)), Seconds(2099y / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.0", At(2050, 12, 31)), Seconds(2000y / 1 / 1));
}

TEST(AbsoluteTimeText, ThreeOrFourDigitYearsAreTakenAsWritten) {
  EXPECT_EQ(ReadSeconds("1.1.014", Now2026), Seconds(year{14} / 1 / 1));
  EXPECT_EQ(ReadSeconds("1.1.0099", Now2026), Seconds(year{99} / 1 / 1));
  EXPECT_FALSE(Valid("1.1.0000", Now2026));
}

TEST(AbsoluteTimeText, DateMustExist) {
  EXPECT_EQ(ReadSeconds("29.02.2024", Now2026), Seconds(2024y / 2 / 29));
  for (const char* Text : {"29.02.2023", "31.04.2014", "0.1.2014", "1.13.2014", "32.1.2014", "1.0.2014"})
    EXPECT_FALSE(Valid(Text, Now2026)) << Text;
}

TEST(AbsoluteTimeText, NumbersHaveAtMostFourDigits) {
  EXPECT_FALSE(Valid("05.03.20145", Now2026));
  EXPECT_FALSE(Valid("00005.03.2014", Now2026));
  EXPECT_FALSE(Valid("05.03.2014 00010", Now2026));
  // The relative form reads its fields by the number conversion, without that limit.
  EXPECT_EQ(ReadSeconds("05.03.2014 00010:15", Now2026), Seconds(2014y / 3 / 5, 10, 15));
}

TEST(AbsoluteTimeText, SeparatorWithoutYearIsInvalid) {
  EXPECT_FALSE(Valid("05.03.", Now2026));
  EXPECT_FALSE(Valid("05.03. 10:15", Now2026));
}

TEST(AbsoluteTimeText, TimeOfDayLimits) {
  EXPECT_EQ(ReadSeconds("05.03.2014 23:59:59", Now2026), Seconds(2014y / 3 / 5, 23, 59, 59));
  for (const char* Text : {"05.03.2014 24:00", "05.03.2014 10:60", "05.03.2014 10:15:60", "05.03.2014 10:",
                           "05.03.2014 10:15:", "05.03.2014 x"})
    EXPECT_FALSE(Valid(Text, Now2026)) << Text;
}

TEST(AbsoluteTimeText, TimeAloneLiesOnDayZero) {
  const int64_t DayZero = Seconds(1899y / 12 / 30);
  EXPECT_EQ(ReadSeconds("10:15", Now2026), DayZero + 10 * 3600 + 15 * 60);
  EXPECT_EQ(ReadSeconds(" 0:00:01  ", Now2026), DayZero + 1);
  EXPECT_DOUBLE_EQ(Read("12:00", Now2026), 0.5);
  EXPECT_FALSE(Valid("10:15 later", Now2026));
  EXPECT_EQ(ReadSeconds("10", Now2026), DayZero + 10 * 3600);
}

TEST(AbsoluteTimeText, TwelveHourMarkersAfterTheTime) {
  EXPECT_EQ(ReadSeconds("05.03.2014 10:15 PM", Now2026), Seconds(2014y / 3 / 5, 22, 15));
  EXPECT_EQ(ReadSeconds("05.03.2014 10:15pm", Now2026), Seconds(2014y / 3 / 5, 22, 15));
  EXPECT_EQ(ReadSeconds("05.03.2014 10:15 am", Now2026), Seconds(2014y / 3 / 5, 10, 15));
  EXPECT_EQ(ReadSeconds("05.03.2014 12:00 AM", Now2026), Seconds(2014y / 3 / 5, 0, 0));
  EXPECT_EQ(ReadSeconds("05.03.2014 12:30 PM", Now2026), Seconds(2014y / 3 / 5, 12, 30));
  EXPECT_EQ(ReadSeconds("05.03.2014 1 Pm", Now2026), Seconds(2014y / 3 / 5, 13));
}

TEST(AbsoluteTimeText, TwelveHourMarkersBeforeTheTime) {
  EXPECT_EQ(ReadSeconds("05.03.2014 PM 3:15", Now2026), Seconds(2014y / 3 / 5, 15, 15));
  EXPECT_EQ(ReadSeconds("AM 12:05", Now2026), Seconds(1899y / 12 / 30, 0, 5));
}

TEST(AbsoluteTimeText, TwelveHourClockNeedsHoursOneToTwelve) {
  for (const char* Text : {"05.03.2014 0:15 PM", "05.03.2014 13:00 PM", "05.03.2014 AM 0:10", "0:15 AM"})
    EXPECT_FALSE(Valid(Text, Now2026)) << Text;
}

TEST(AbsoluteTimeText, RegionalMarkersInAnyLetterCase) {
  EXPECT_EQ(ReadSeconds("05.03.2014 3:15 \xCF\xCF", Now2026, Russian), Seconds(2014y / 3 / 5, 15, 15));
  EXPECT_EQ(ReadSeconds("05.03.2014 3:15 \xEF\xEF", Now2026, Russian), Seconds(2014y / 3 / 5, 15, 15));
  EXPECT_EQ(ReadSeconds("05.03.2014 \xE4\xEF 12:15", Now2026, Russian), Seconds(2014y / 3 / 5, 0, 15));
  // The English markers stay valid beside the regional ones.
  EXPECT_EQ(ReadSeconds("05.03.2014 3:15 PM", Now2026, Russian), Seconds(2014y / 3 / 5, 15, 15));
  EXPECT_FALSE(Valid("05.03.2014 13:15 \xCF\xCF", Now2026, Russian));
}

TEST(AbsoluteTimeText, MillisecondsAfterRegionalDecimalPoint) {
  const TDateTime Value = Read("05.03.2014 10:15:20.250", Now2026, Point);
  EXPECT_NEAR(TimeOfDayMs(Value), (10 * 3600 + 15 * 60 + 20) * 1000.0 + 250, 0.01);
  // Under a decimal comma the point ends the time of day; the rest is not examined.
  const TDateTime Whole = Read("05.03.2014 10:15:20.250", Now2026, Comma);
  EXPECT_NEAR(TimeOfDayMs(Whole), (10 * 3600 + 15 * 60 + 20) * 1000.0, 0.01);
}

TEST(AbsoluteTimeText, MillisecondsAfterRegionalDecimalComma) {
  const TDateTime Value = Read("05.03.2014 10:15:20,250", Now2026, Comma);
  EXPECT_NEAR(TimeOfDayMs(Value), (10 * 3600 + 15 * 60 + 20) * 1000.0 + 250, 0.01);
  EXPECT_NEAR(TimeOfDayMs(Read("10:15:20,5", Now2026, Comma)), (10 * 3600 + 15 * 60 + 20) * 1000.0 + 5, 0.01);
  // Under a decimal point a comma is foreign to a time of day alone.
  EXPECT_FALSE(Valid("10:15:20,250", Now2026, Point));
  EXPECT_FALSE(Valid("05.03.2014 10:15:20,1000", Now2026, Comma));
  EXPECT_FALSE(Valid("05.03.2014 10:15:20,", Now2026, Comma));
}

TEST(RelativeTimeText, PresentMomentWithSecondsCut) {
  EXPECT_EQ(ReadSeconds("T.T.T T:T", March31), Seconds(2026y / 3 / 31, 14, 37));
  EXPECT_NEAR(TimeOfDayMs(Read("T.T.T T:T", March31)), (14 * 3600 + 37 * 60) * 1000.0, 0.01);
}

TEST(RelativeTimeText, CountBackFields) {
  EXPECT_EQ(ReadSeconds("T.T.T T-1:T", March31), Seconds(2026y / 3 / 31, 13, 37));
  EXPECT_EQ(ReadSeconds("T-1.T.T 0:0", March31), Seconds(2026y / 3 / 30));
  EXPECT_EQ(ReadSeconds("1.T.T 0:0", March31), Seconds(2026y / 3 / 1));
  EXPECT_EQ(ReadSeconds("T.T.T T:T-30", March31), Seconds(2026y / 3 / 31, 14, 7));
  EXPECT_EQ(ReadSeconds("T.T.T-100 T:T", March31), Seconds(1926y / 3 / 31, 14, 37));
}

TEST(RelativeTimeText, NumbersReplaceComponents) {
  EXPECT_EQ(ReadSeconds("15.6.2020 T:5", Now2026), Seconds(2020y / 6 / 15, 14, 5));
  EXPECT_EQ(ReadSeconds("$0A.T.T 0:0", Now2026), Seconds(2026y / 7 / 10));
  EXPECT_EQ(ReadSeconds("T.T.1970 0:0", At(2026, 1, 1)), 0);
  EXPECT_EQ(ReadSeconds("T.T.2100 T:59", Now2026), Seconds(2100y / 7 / 15, 14, 59));
}

TEST(RelativeTimeText, MonthBackFromLastDayTakesMonthEnd) {
  EXPECT_EQ(ReadSeconds("T.T-1.T T:T", March31), Seconds(2026y / 2 / 28, 14, 37));
  EXPECT_EQ(ReadSeconds("T.T-1.T T:T", At(2024, 3, 31, 9, 5)), Seconds(2024y / 2 / 29, 9, 5));
  EXPECT_EQ(ReadSeconds("T.T-1.T T:T", At(2026, 5, 31, 9, 5)), Seconds(2026y / 4 / 30, 9, 5));
  EXPECT_EQ(ReadSeconds("T.T.T-1 T:T", At(2024, 2, 29, 9, 5)), Seconds(2023y / 2 / 28, 9, 5));
}

TEST(RelativeTimeText, OffsetsApplyDaysMonthsYearsHoursMinutes) {
  // Days first: 30 March, then a month back to the end of February.
  EXPECT_EQ(ReadSeconds("T-1.T-1.T T:T", March31), Seconds(2026y / 2 / 28, 14, 37));
  // Months before years: 29 January 2024, then a year back.
  EXPECT_EQ(ReadSeconds("T.T-1.T-1 T:T", At(2024, 2, 29, 9, 5)), Seconds(2023y / 1 / 29, 9, 5));
  // Hours and minutes last, across the day boundary they reach.
  EXPECT_EQ(ReadSeconds("T.T-1.T T-15:T", March31), Seconds(2026y / 2 / 27, 23, 37));
}

TEST(RelativeTimeText, MidnightAndYearEnd) {
  const TCalendarTime NewYear = At(2026, 1, 1, 0, 0, 30, 500);
  EXPECT_EQ(ReadSeconds("T.T.T T:T-1", NewYear), Seconds(2025y / 12 / 31, 23, 59));
  EXPECT_EQ(ReadSeconds("T.T.T T-1:T", NewYear), Seconds(2025y / 12 / 31, 23, 0));
  EXPECT_EQ(ReadSeconds("T-1.T.T T:T", NewYear), Seconds(2025y / 12 / 31));
  EXPECT_EQ(ReadSeconds("T.T-1.T T:T", NewYear), Seconds(2025y / 12 / 1));
  EXPECT_EQ(ReadSeconds("T.T-11.T T:T", NewYear), Seconds(2025y / 2 / 1));
  EXPECT_EQ(ReadSeconds("T.T.T T:T-30", At(2026, 3, 1, 0, 10)), Seconds(2026y / 2 / 28, 23, 40));
  EXPECT_EQ(ReadSeconds("T.T.T 0:0", At(2026, 12, 31, 23, 59, 59, 999)), Seconds(2026y / 12 / 31));
}

TEST(RelativeTimeText, LargestCountBackPerField) {
  EXPECT_TRUE(Valid("T-30.T.T T:T", March31));
  EXPECT_TRUE(Valid("T.T-11.T T:T", March31));
  EXPECT_TRUE(Valid("T.T.T T-23:T", March31));
  EXPECT_TRUE(Valid("T.T.T T:T-59", March31));
  for (const char* Text : {"T-31.T.T T:T", "T.T-12.T T:T", "T.T.T-101 T:T", "T.T.T T-24:T", "T.T.T T:T-60",
                           "T-0.T.T T:T", "T--1.T.T T:T", "T-x.T.T T:T"})
    EXPECT_FALSE(Valid(Text, March31)) << Text;
}

TEST(RelativeTimeText, ComponentsMustFormARealMoment) {
  EXPECT_FALSE(Valid("T.T.T 24:00", March31));
  EXPECT_FALSE(Valid("T.T.1969 0:0", March31));
  EXPECT_FALSE(Valid("T.T.2101 0:0", March31));
  EXPECT_FALSE(Valid("31.T.T 0:0", At(2026, 4, 15)));
  EXPECT_TRUE(Valid("30.T.T 0:0", At(2026, 4, 15)));
  // The present day 31 does not exist in June, even with a count-back elsewhere.
  EXPECT_FALSE(Valid("T.6.T 0:0", March31));
  EXPECT_FALSE(Valid("31.T-1.T 0:0", At(2026, 4, 15)));
}

TEST(RelativeTimeText, SeparatorsAndFieldsMustBeThere) {
  for (const char* Text : {"T.T.T T", "T.T.T T:", "T.T.T", "T.T.", "T", "T.T.T  T:T", "T.T.T\tT:T", ".T.T T:T"})
    EXPECT_FALSE(Valid(Text, March31)) << Text;
}

TEST(RelativeTimeText, ShortFieldsStartingWithTKeepTheComponent) {
  EXPECT_EQ(ReadSeconds("Tx.T.T T:T", March31), Seconds(2026y / 3 / 31, 14, 37));
  EXPECT_EQ(ReadSeconds("T-.T.T T:T", March31), Seconds(2026y / 3 / 31, 14, 37));
  EXPECT_EQ(ReadSeconds("T.T.T T:T ", March31), Seconds(2026y / 3 / 31, 14, 37));
  EXPECT_FALSE(Valid("t.T.T T:T", March31));
  EXPECT_FALSE(Valid("Txy.T.T T:T", March31));
  EXPECT_FALSE(Valid("T.T.T T:T-1 ", March31));
}

TEST(ParseTimeTextGuards, EmptyTextIsInvalid) { EXPECT_FALSE(Valid("", March31)); }

TEST(ParseTimeTextGuards, EveryTextInvalidWhileShuttingDown) {
  ShutdownRequested = true;
  const bool Absolute = Valid("05.03.2014 10:15", March31);
  const bool Relative = Valid("T.T.T T:T", March31);
  TDateTime Value = Sentinel;
  const bool FromClock = ParseTimeText("05.03.2014", Value);
  ShutdownRequested = false;
  EXPECT_FALSE(Absolute);
  EXPECT_FALSE(Relative);
  EXPECT_FALSE(FromClock);
  EXPECT_EQ(Value, Sentinel);
}

TEST(ParseTimeTextClock, PresentMomentComesFromTheLocalClock) {
  TCalendarTime Before = LocalTimeNow();
  TDateTime Value = Sentinel;
  const bool Ok = ParseTimeText("T.T.T T:T", Value);
  const TCalendarTime After = LocalTimeNow();
  ASSERT_TRUE(Ok);
  Before.Second = 0;
  Before.Millisecond = 0;
  TDateTime Low = 0, High = 0;
  ASSERT_TRUE(EncodeDateTime(Before, Low));
  ASSERT_TRUE(EncodeDateTime(After, High));
  EXPECT_LE(Low, Value);
  EXPECT_LE(Value, High);
}

TEST(ParseTimeTextClock, QueryTextsInUtf16) {
  TDateTime Value = Sentinel;
  ASSERT_TRUE(ParseTimeText(u"05.03.2014 10:15", Value));
  EXPECT_EQ(DateTimeToUnix(Value), Seconds(2014y / 3 / 5, 10, 15));
  EXPECT_TRUE(ParseTimeText(u"T.T.T T:T", Value));
  // A Cyrillic capital Te looks like T but is not the letter of the relative form.
  Value = Sentinel;
  EXPECT_FALSE(ParseTimeText(u"\u0422.T.T T:T", Value));
  EXPECT_FALSE(ParseTimeText(u"\u0661.3.2014", Value));
  EXPECT_EQ(Value, Sentinel);
}

TEST(ParseTimeTextClock, SessionThreadsReadTextsTogether) {
  // The first use of the process-wide regional settings happens on many threads at once.
  const char* const Texts[] = {"05.03.2014 10:15", "T-1.T.T 0:0", "10:15:20", "T.T-1.T T:T", "bad"};
  std::vector<std::thread> Threads;
  std::vector<int> Valid(8, 0);
  for (size_t I = 0; I < Valid.size(); ++I) {
    Threads.emplace_back([&Texts, &Count = Valid[I]] {
      for (int Round = 0; Round < 200; ++Round)
        for (const char* Text : Texts) {
          TDateTime Value = 0;
          Count += ParseTimeText(Text, Value) ? 1 : 0;
        }
    });
  }
  for (std::thread& Thread : Threads) Thread.join();
  for (int Count : Valid) EXPECT_EQ(Count, 200 * 4);
}

TEST(EncodeDateTimeFields, DayCountAndFraction) {
  TDateTime Value = Sentinel;
  ASSERT_TRUE(EncodeDateTime(At(1970, 1, 1), Value));
  EXPECT_EQ(Value, 25569.0);
  ASSERT_TRUE(EncodeDateTime(At(1899, 12, 30, 18), Value));
  EXPECT_EQ(Value, 0.75);
  // Before day zero the count stays linear: 29 December 1899 12:00 is -0.5.
  ASSERT_TRUE(EncodeDateTime(At(1899, 12, 29, 12), Value));
  EXPECT_EQ(Value, -0.5);
}

TEST(EncodeDateTimeFields, InvalidFieldsLeaveValueUntouched) {
  for (const TCalendarTime& Time : {At(2026, 2, 29), At(2026, 13, 1), At(0, 1, 1), At(2026, 1, 1, 24),
                                    At(2026, 1, 1, 0, 60), At(2026, 1, 1, 0, 0, 60), At(2026, 1, 1, 0, 0, 0, 1000)}) {
    TDateTime Value = Sentinel;
    EXPECT_FALSE(EncodeDateTime(Time, Value));
    EXPECT_EQ(Value, Sentinel);
  }
}

TEST(DateTimeToUnixSeconds, WholeDaysAroundTheEpoch) {
  EXPECT_EQ(DateTimeToUnix(25569.0), 0);
  EXPECT_EQ(DateTimeToUnix(25569.5), 43200);
  EXPECT_EQ(DateTimeToUnix(25568.0), -86400);
  EXPECT_EQ(DateTimeToUnix(0.0), -25569LL * 86400);
}

TEST(DateTimeToUnixSeconds, HalvesGoToTheEvenNeighbour) {
  // 1/256 and 3/256 of a day are 337.5 and 1012.5 seconds, exactly.
  EXPECT_EQ(DateTimeToUnix(25569.0 + 1.0 / 256), 338);
  EXPECT_EQ(DateTimeToUnix(25569.0 + 3.0 / 256), 1012);
  EXPECT_EQ(DateTimeToUnix(25569.0 - 1.0 / 256), -338);
  EXPECT_EQ(DateTimeToUnix(25569.0 - 3.0 / 256), -1012);
}

TEST(DateTimeToUnixSeconds, NearestWholeSecond) {
  const double Second = 1.0 / 86400;
  EXPECT_EQ(DateTimeToUnix(25569.0 + 10 * Second + 0.4 * Second), 10);
  EXPECT_EQ(DateTimeToUnix(25569.0 + 10 * Second + 0.6 * Second), 11);
  EXPECT_EQ(DateTimeToUnix(25569.0 - 10 * Second - 0.6 * Second), -11);
}

TEST(DateTimeToUnixSeconds, NonFiniteAndHugeValuesAreClamped) {
  EXPECT_EQ(DateTimeToUnix(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(DateTimeToUnix(std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(DateTimeToUnix(-std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(DateTimeToUnix(1e300), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(DateTimeToUnix(-1e300), std::numeric_limits<int64_t>::min());
}
