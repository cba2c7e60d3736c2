#include "protocol/UTvxTime.h"

#include <cstdio>

#include "platform/LocalTime.h"

int64_t DaysFromCivil(int Year, int Month, int Day) {
  // H. Hinnant's days_from_civil.
  const int64_t Y = static_cast<int64_t>(Year) - (Month <= 2 ? 1 : 0);
  const int64_t Era = (Y >= 0 ? Y : Y - 399) / 400;
  const int64_t YearOfEra = Y - Era * 400;
  const int64_t DayOfYear = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
  const int64_t DayOfEra = YearOfEra * 365 + YearOfEra / 4 - YearOfEra / 100 + DayOfYear;
  return Era * 146097 + DayOfEra - 719468;
}

int64_t TvxSecondsOf(const TTvxDateTime& Time) {
  return DaysFromCivil(Time.Year, Time.Month, Time.Day) * 86400 + Time.Hour * 3600 + Time.Minute * 60 +
         Time.Second;
}

TTvxDateTime TvxDateTimeOf(int64_t Seconds) {
  int64_t Days = Seconds >= 0 ? Seconds / 86400 : -((-Seconds + 86399) / 86400);
  int64_t Rest = Seconds - Days * 86400;
  // H. Hinnant's civil_from_days.
  Days += 719468;
  const int64_t Era = (Days >= 0 ? Days : Days - 146096) / 146097;
  const int64_t DayOfEra = Days - Era * 146097;
  const int64_t YearOfEra = (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
  const int64_t DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
  const int64_t MonthIndex = (5 * DayOfYear + 2) / 153;
  TTvxDateTime Time;
  Time.Day = static_cast<int>(DayOfYear - (153 * MonthIndex + 2) / 5 + 1);
  Time.Month = static_cast<int>(MonthIndex < 10 ? MonthIndex + 3 : MonthIndex - 9);
  Time.Year = static_cast<int>(YearOfEra + Era * 400 + (Time.Month <= 2 ? 1 : 0));
  Time.Hour = static_cast<int>(Rest / 3600);
  Time.Minute = static_cast<int>(Rest / 60 % 60);
  Time.Second = static_cast<int>(Rest % 60);
  return Time;
}

std::string TvxTimeText(int64_t Seconds) {
  const TTvxDateTime T = TvxDateTimeOf(Seconds);
  char Text[64];
  std::snprintf(Text, sizeof Text, "%02d.%02d.%04d %02d:%02d:%02d", T.Day, T.Month, T.Year, T.Hour, T.Minute,
                T.Second);
  return Text;
}

static int64_t FloorDiv(int64_t A, int64_t B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }

std::string TvxTimeTextMs(int64_t Milliseconds) {
  const int64_t Seconds = FloorDiv(Milliseconds, 1000);
  char Fraction[16];
  std::snprintf(Fraction, sizeof Fraction, ".%03d", static_cast<int>(Milliseconds - Seconds * 1000));
  return TvxTimeText(Seconds) + Fraction;
}

std::string TvxTimeTextCs(int64_t Milliseconds) {
  const int64_t Seconds = FloorDiv(Milliseconds, 1000);
  char Fraction[16];
  std::snprintf(Fraction, sizeof Fraction, ".%02d", static_cast<int>(Milliseconds - Seconds * 1000) / 10);
  return TvxTimeText(Seconds) + Fraction;
}

namespace {

// Reads exactly Count digits at Text[Pos]; false when one is missing.
bool Digits(const char* Text, size_t Size, size_t Pos, int Count, int& Value) {
  Value = 0;
  for (int I = 0; I < Count; ++I) {
    if (Pos + I >= Size || Text[Pos + I] < '0' || Text[Pos + I] > '9') return false;
    Value = Value * 10 + (Text[Pos + I] - '0');
  }
  return true;
}

bool Expect(const char* Text, size_t Size, size_t Pos, char C) { return Pos < Size && Text[Pos] == C; }

bool IsValid(const TTvxDateTime& T) {
  static const int MonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (T.Year < 1 || T.Month < 1 || T.Month > 12 || T.Day < 1) return false;
  const bool Leap = (T.Year % 4 == 0 && T.Year % 100 != 0) || T.Year % 400 == 0;
  const int Days = MonthDays[T.Month - 1] + (T.Month == 2 && Leap ? 1 : 0);
  return T.Day <= Days && T.Hour < 24 && T.Minute < 60 && T.Second < 60;
}

}  // namespace

bool ParseTvxTime(const char* Text, size_t Size, TTvxDateTime& Time) {
  size_t Length = 0;
  while (Length < Size && Text[Length] != '\0') ++Length;
  TTvxDateTime T;
  if (!Digits(Text, Length, 0, 2, T.Day) || !Expect(Text, Length, 2, '.') || !Digits(Text, Length, 3, 2, T.Month) ||
      !Expect(Text, Length, 5, '.') || !Digits(Text, Length, 6, 4, T.Year) || !Expect(Text, Length, 10, ' ') ||
      !Digits(Text, Length, 11, 2, T.Hour) || !Expect(Text, Length, 13, ':') ||
      !Digits(Text, Length, 14, 2, T.Minute) || !Expect(Text, Length, 16, ':') ||
      !Digits(Text, Length, 17, 2, T.Second))
    return false;
  if (Length == 22 && Expect(Text, Length, 19, '.') && Digits(Text, Length, 20, 2, T.Millisecond)) {
    T.Millisecond *= 10;
  } else if (Length == 23 && Expect(Text, Length, 19, '.') && Digits(Text, Length, 20, 3, T.Millisecond)) {
  } else if (Length != 19) {
    return false;
  }
  if (!IsValid(T)) return false;
  Time = T;
  return true;
}

int64_t LocalNowMs() {
  const TCalendarTime Now = LocalTimeNow();
  TTvxDateTime T;
  T.Year = Now.Year;
  T.Month = Now.Month;
  T.Day = Now.Day;
  T.Hour = Now.Hour;
  T.Minute = Now.Minute;
  T.Second = Now.Second % 60;  // a leap second counts as the next minute's first
  return TvxSecondsOf(T) * 1000 + Now.Millisecond;
}
