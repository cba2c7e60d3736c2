#include "QRetroTimes.h"

#include <cstdio>
#include <string_view>

#include "QAnswer.h"

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t Year, int64_t Month, int64_t Day) {
  Year -= Month <= 2;
  int64_t Era = (Year >= 0 ? Year : Year - 399) / 400;
  int64_t YearOfEra = Year - Era * 400;
  int64_t DayOfYear = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
  int64_t DayOfEra = YearOfEra * 365 + YearOfEra / 4 - YearOfEra / 100 + DayOfYear;
  return Era * 146097 + DayOfEra - 719468;
}

void CivilFromDays(int64_t Days, int& Year, int& Month, int& Day) {
  Days += 719468;
  int64_t Era = (Days >= 0 ? Days : Days - 146096) / 146097;
  int64_t DayOfEra = Days - Era * 146097;
  int64_t YearOfEra = (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
  int64_t DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
  int64_t MonthIndex = (5 * DayOfYear + 2) / 153;
  Day = static_cast<int>(DayOfYear - (153 * MonthIndex + 2) / 5 + 1);
  Month = static_cast<int>(MonthIndex < 10 ? MonthIndex + 3 : MonthIndex - 9);
  Year = static_cast<int>(YearOfEra + Era * 400 + (Month <= 2));
}

bool ValidDate(int Year, int Month, int Day) {
  if (Year < 1 || Month < 1 || Month > 12 || Day < 1) return false;
  int NextYear = 0, NextMonth = 0, NextDay = 0;
  CivilFromDays(DaysFromCivil(Year, Month, Day), NextYear, NextMonth, NextDay);
  return NextDay == Day;
}

// The absolute start texts written with four-digit years; anything else
// (two-digit years, 12-hour clock, relative fields) is left to the gateway.
std::optional<int64_t> AbsoluteSeconds(const std::string& Text) {
  int Day = 0, Month = 0, Year = 0, Hour = 0, Minute = 0, Second = 0, Used = 0;
  int Read = std::sscanf(Text.c_str(), "%2d.%2d.%4d%n %2d:%2d%n:%2d%n", &Day, &Month, &Year, &Used, &Hour, &Minute,
                         &Used, &Second, &Used);
  if (Read != 3 && Read != 5 && Read != 6) return std::nullopt;
  if (Text.find_first_not_of(' ', static_cast<std::size_t>(Used)) != std::string::npos) return std::nullopt;
  if (Year < 1000 || !ValidDate(Year, Month, Day) || Hour > 23 || Minute > 59 || Second > 59) return std::nullopt;
  return DaysFromCivil(Year, Month, Day) * 86400 + Hour * 3600 + Minute * 60 + Second;
}

std::string Ascii(std::u16string_view Text) {
  std::string Result;
  for (char16_t Unit : Text) Result += Unit < 0x80 ? static_cast<char>(Unit) : '\x7f';
  return Result;
}

}  // namespace

TRetroTimes::TRetroTimes(const TJsonPtr& Query)
    : StartText_(MemberText(Query, u"start")),
      Start_(AbsoluteSeconds(Ascii(StartText_))),
      Step_(AsInteger(GetField(Query, u"step"))) {}

std::u16string TRetroTimes::Sample(std::size_t Index) const {
  int64_t Offset = static_cast<int64_t>(Index) * Step_;
  if (!Start_) return StartText_ + u" +" + Utf16(std::to_string(Offset)) + u"s";
  int64_t Moment = *Start_ + Offset;
  int64_t Days = (Moment >= 0 ? Moment : Moment - 86399) / 86400;
  int64_t Seconds = Moment - Days * 86400;
  int Year = 0, Month = 0, Day = 0;
  CivilFromDays(Days, Year, Month, Day);
  char Text[40];
  std::snprintf(Text, sizeof Text, "%02d.%02d.%04d %02d:%02d:%02d", Day, Month, Year, static_cast<int>(Seconds / 3600),
                static_cast<int>(Seconds / 60 % 60), static_cast<int>(Seconds % 60));
  return Utf16(Text);
}
