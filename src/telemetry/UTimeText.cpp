// UTimeText: the entry of time texts, calendar encoding and Unix seconds.
#include "telemetry/UTimeText.h"

#include <cmath>
#include <limits>

#include "common/UCommon.h"
#include "platform/CodePage.h"
#include "telemetry/UTimeTextForms.h"

using namespace std::chrono;

TDateTime ToDateTime(local_days Day, milliseconds TimeOfDay) {
  constexpr double MillisecondsPerDay = 86400000.0;
  return static_cast<double>((Day - DayZero).count()) + static_cast<double>(TimeOfDay.count()) / MillisecondsPerDay;
}

bool EncodeDateTime(const TCalendarTime& Time, TDateTime& Value) {
  const year_month_day Date{year{Time.Year}, month{Time.Month}, day{Time.Day}};
  if (Time.Year < 1 || Time.Year > 9999 || !Date.ok()) return false;
  if (Time.Hour >= 24 || Time.Minute >= 60 || Time.Second >= 60 || Time.Millisecond >= 1000) return false;
  Value = ToDateTime(local_days{Date},
                     hours{Time.Hour} + minutes{Time.Minute} + seconds{Time.Second} + milliseconds{Time.Millisecond});
  return true;
}

bool ParseTimeText(std::string_view Text, TDateTime& Value, const TTimeTextContext& Context) {
  if (ShutdownRequested || Text.empty()) return false;
  return ParseAbsoluteTime(Text, Context, Value) || ParseRelativeTime(Text, Context.Now, Value);
}

bool ParseTimeText(std::string_view Text, TDateTime& Value) {
  // One reading of the clock serves the year window and the relative form alike.
  return ParseTimeText(Text, Value, TTimeTextContext{LocalTimeNow(), RegionalSettings()});
}

bool ParseTimeText(std::u16string_view Text, TDateTime& Value) { return ParseTimeText(Utf16ToAnsi(Text), Value); }

int64_t DateTimeToUnix(TDateTime Value) {
  const double Seconds = (Value - 25569.0) * 86400.0;
  if (std::isnan(Seconds)) return 0;
  // 2^63 as a double; every double below it converts without overflow.
  constexpr double Bound = 9223372036854775808.0;
  if (Seconds >= Bound) return std::numeric_limits<int64_t>::max();
  if (Seconds < -Bound) return std::numeric_limits<int64_t>::min();
  double Whole = std::floor(Seconds);
  const double Rest = Seconds - Whole;
  if (Rest > 0.5 || (Rest == 0.5 && std::fmod(Whole, 2.0) != 0.0)) Whole += 1.0;
  // Near 2^63 every double is a whole number, so rounding up never reaches it.
  return static_cast<int64_t>(Whole);
}

int64_t NowUtcUnix() {
  // Read in UTC directly: a local time converted back to UTC is an hour off
  // during the hour that repeats when the clocks go back.
  TDateTime Now = 0;
  EncodeDateTime(UtcTimeNow(), Now);
  return DateTimeToUnix(Now);
}
