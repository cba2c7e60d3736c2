// URelativeTime: time texts counted back from the present moment.
#include <array>

#include "telemetry/Telemetry.h"
#include "telemetry/UTimeTextForms.h"

namespace {

using namespace std::chrono;

enum TField { Day, Month, Year, Hour, Minute, FieldCount };

// A field's separator, the numbers it may hold, and how far "T-n" reaches.
struct TFieldRule {
  char Separator;
  int Low;
  int High;
  int MostBack;
};

constexpr std::array<TFieldRule, FieldCount> Rules{{
    {'.', 1, 31, 30},
    {'.', 1, 12, 11},
    {' ', 1970, 2100, 100},
    {':', 0, 24, 23},
    {'\0', 0, 59, 59},  // the minute field takes the rest of the text
}};

using TFields = std::array<std::string_view, FieldCount>;

// Each field but the last holds at least its first character and runs up to
// its separator; false when a separator is missing.
bool CutFields(std::string_view Text, TFields& Fields) {
  size_t Pos = 0;
  for (int F = Day; F < Minute; ++F) {
    if (Pos >= Text.size()) return false;
    const size_t End = Text.find(Rules[F].Separator, Pos + 1);
    if (End == std::string_view::npos) return false;
    Fields[F] = Text.substr(Pos, End - Pos);
    Pos = End + 1;
  }
  Fields[Minute] = Text.substr(Pos);
  return true;
}

// A number in range replaces Component; "T" or a two-character "T.." keeps
// it; "T-n" keeps it and sets Offset to -n.
bool ReadField(std::string_view Field, const TFieldRule& Rule, int& Component, int& Offset) {
  int32_t Number = 0;
  if (IntTextValue(Field, Number) && Rule.Low <= Number && Number <= Rule.High) {
    Component = Number;
    return true;
  }
  if (Field.empty() || Field[0] != 'T') return false;
  if (Field.size() <= 2) return true;
  if (Field[1] != '-' || !IntTextValue(Field.substr(2), Number) || Number < 1 || Number > Rule.MostBack) return false;
  Offset = -Number;
  return true;
}

// Calendar months back; a day beyond the new month's end becomes its last day.
year_month_day AddMonths(const year_month_day& Date, int Count) {
  const year_month_day Moved = Date + months{Count};
  return Moved.ok() ? Moved : year_month_day{Moved.year() / Moved.month() / last};
}

}  // namespace

bool ParseRelativeTime(std::string_view Text, const TCalendarTime& Now, TDateTime& Value) {
  TFields Fields;
  if (!CutFields(Text, Fields)) return false;
  std::array<int, FieldCount> Components{Now.Day, Now.Month, Now.Year, Now.Hour, Now.Minute};
  std::array<int, FieldCount> Offsets{};
  for (int F = Day; F < FieldCount; ++F)
    if (!ReadField(Fields[F], Rules[F], Components[F], Offsets[F])) return false;

  year_month_day Date{year{Components[Year]}, month{static_cast<unsigned>(Components[Month])},
                      day{static_cast<unsigned>(Components[Day])}};
  if (!Date.ok() || Components[Hour] >= 24 || Components[Minute] >= 60) return false;

  // The offsets in their fixed order: days, months, years, hours, minutes.
  Date = year_month_day{local_days{Date} + days{Offsets[Day]}};
  Date = AddMonths(Date, Offsets[Month]);
  Date = AddMonths(Date, 12 * Offsets[Year]);
  const local_time<minutes> Moment = local_days{Date} + hours{Components[Hour] + Offsets[Hour]} +
                                     minutes{Components[Minute] + Offsets[Minute]};
  const local_days MomentDay = floor<days>(Moment);
  Value = ToDateTime(MomentDay, Moment - MomentDay);
  return true;
}
