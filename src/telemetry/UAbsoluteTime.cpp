// UAbsoluteTime: time texts that name a date and a time of day outright.
#include <optional>

#include "telemetry/UTimeTextForms.h"

namespace {

using namespace std::chrono;

// Letter case folded for ASCII and the Russian letters of Windows-1251.
unsigned char FoldCase(unsigned char C) {
  if ((C >= 'A' && C <= 'Z') || (C >= 0xC0 && C <= 0xDF)) return static_cast<unsigned char>(C + 0x20);
  return C == 0xA8 ? 0xB8 : C;  // Yo
}

// A read position in a time text; every Take moves past what it matched.
class TTimeCursor {
public:
  explicit TTimeCursor(std::string_view Text) : Text_(Text) {}

  bool AtEnd() const { return Pos_ >= Text_.size(); }
  void SkipBlanks() {
    while (!AtEnd() && Text_[Pos_] == ' ') ++Pos_;
  }
  bool Take(char C) { return Take(std::string_view(&C, 1)); }
  bool Take(std::string_view Symbol) {
    if (Symbol.empty() || Text_.substr(Pos_, Symbol.size()) != Symbol) return false;
    Pos_ += Symbol.size();
    return true;
  }
  bool TakeIgnoringCase(std::string_view Symbol);
  // Blanks, then a run of one to four decimal digits.
  bool TakeNumber(int& Value) {
    int Digits = 0;
    return TakeNumber(Value, Digits);
  }
  bool TakeNumber(int& Value, int& Digits);

private:
  std::string_view Text_;
  size_t Pos_ = 0;
};

bool TTimeCursor::TakeIgnoringCase(std::string_view Symbol) {
  const std::string_view Here = Text_.substr(Pos_, Symbol.size());
  if (Symbol.empty() || Here.size() != Symbol.size()) return false;
  for (size_t I = 0; I < Symbol.size(); ++I)
    if (FoldCase(static_cast<unsigned char>(Here[I])) != FoldCase(static_cast<unsigned char>(Symbol[I]))) return false;
  Pos_ += Symbol.size();
  return true;
}

bool TTimeCursor::TakeNumber(int& Value, int& Digits) {
  SkipBlanks();
  size_t End = Pos_;
  while (End < Text_.size() && Text_[End] >= '0' && Text_[End] <= '9') ++End;
  Digits = static_cast<int>(End - Pos_);
  if (Digits < 1 || Digits > 4) return false;
  Value = 0;
  for (; Pos_ < End; ++Pos_) Value = Value * 10 + (Text_[Pos_] - '0');
  return true;
}

constexpr int NoMarker = -1;

// Steps over a morning or afternoon marker (regional or English, any letter
// case); the hours it adds on the 12-hour clock, or NoMarker.
int TakeMarker(TTimeCursor& Cursor, const TRegionalSettings& Regional) {
  Cursor.SkipBlanks();
  if (Cursor.TakeIgnoringCase(Regional.MorningMarker) || Cursor.TakeIgnoringCase("AM")) return 0;
  if (Cursor.TakeIgnoringCase(Regional.AfternoonMarker) || Cursor.TakeIgnoringCase("PM")) return 12;
  return NoMarker;
}

// hours[:minutes[:seconds[<decimal separator>milliseconds]]], with a marker
// before or after it, then blanks; the time since midnight.
std::optional<milliseconds> TakeTime(TTimeCursor& Cursor, const TRegionalSettings& Regional) {
  int Base = TakeMarker(Cursor, Regional);
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
  if (!Cursor.TakeNumber(Hour)) return std::nullopt;
  if (Cursor.Take(TimeSeparator)) {
    if (!Cursor.TakeNumber(Minute)) return std::nullopt;
    if (Cursor.Take(TimeSeparator)) {
      if (!Cursor.TakeNumber(Second)) return std::nullopt;
      if (Cursor.Take(Regional.DecimalSeparator) && !Cursor.TakeNumber(Millisecond)) return std::nullopt;
    }
  }
  if (Base == NoMarker) Base = TakeMarker(Cursor, Regional);
  if (Base != NoMarker) {
    if (Hour < 1 || Hour > 12) return std::nullopt;
    Hour = Hour % 12 + Base;  // 12 AM is midnight, 12 PM noon
  }
  Cursor.SkipBlanks();
  if (Hour >= 24 || Minute >= 60 || Second >= 60 || Millisecond >= 1000) return std::nullopt;
  return hours{Hour} + minutes{Minute} + seconds{Second} + milliseconds{Millisecond};
}

// A year of one or two digits, placed in the hundred years that begin 50
// years before the present year.
int WindowedYear(int TwoDigitYear, int PresentYear) {
  const int First = PresentYear - 50;
  const int Year = First / 100 * 100 + TwoDigitYear;
  return Year < First ? Year + 100 : Year;
}

// day.month[.year], then one more separator and blanks; a real date.
std::optional<year_month_day> TakeDate(TTimeCursor& Cursor, int PresentYear) {
  int Day = 0, Month = 0, Year = PresentYear, YearDigits = 0;
  if (!Cursor.TakeNumber(Day) || !Cursor.Take(DateSeparator) || !Cursor.TakeNumber(Month)) return std::nullopt;
  if (Cursor.Take(DateSeparator)) {
    if (!Cursor.TakeNumber(Year, YearDigits)) return std::nullopt;
    if (YearDigits <= 2) Year = WindowedYear(Year, PresentYear);
  }
  Cursor.Take(DateSeparator);
  Cursor.SkipBlanks();
  const year_month_day Date{year{Year}, month{static_cast<unsigned>(Month)}, day{static_cast<unsigned>(Day)}};
  if (Year < 1 || !Date.ok()) return std::nullopt;
  return Date;
}

}  // namespace

bool ParseAbsoluteTime(std::string_view Text, const TTimeTextContext& Context, TDateTime& Value) {
  TTimeCursor Cursor(Text);
  if (const std::optional<year_month_day> Date = TakeDate(Cursor, Context.Now.Year)) {
    // Text after the time of day is not examined.
    const std::optional<milliseconds> Time = Cursor.AtEnd() ? std::optional{milliseconds{0}} : TakeTime(Cursor, Context.Regional);
    if (Time) {
      Value = ToDateTime(local_days{*Date}, *Time);
      return true;
    }
  }
  // Otherwise the whole text must be a time of day, which lies on day zero.
  TTimeCursor Whole(Text);
  const std::optional<milliseconds> Time = TakeTime(Whole, Context.Regional);
  if (!Time || !Whole.AtEnd()) return false;
  Value = ToDateTime(DayZero, *Time);
  return true;
}
