// LocalTime, Win32: the system clock in SYSTEMTIME form.
#include "platform/LocalTime.h"

#include <windows.h>

namespace {

TCalendarTime FromSystemTime(const SYSTEMTIME& T) {
  return TCalendarTime{T.wYear, T.wMonth, T.wDay, T.wHour, T.wMinute, T.wSecond, T.wMilliseconds};
}

// SYSTEMTIME order: year, month, day of the week (not needed here), day,
// hour, minute, second, milliseconds.
SYSTEMTIME ToSystemTime(const TCalendarTime& T) {
  return SYSTEMTIME{T.Year, T.Month, 0, T.Day, T.Hour, T.Minute, T.Second, T.Millisecond};
}

}  // namespace

TCalendarTime LocalTimeNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return FromSystemTime(now);
}

TCalendarTime UtcTimeNow() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  return FromSystemTime(now);
}

bool LocalToUtc(const TCalendarTime& Local, TCalendarTime& Utc) {
  // Not every Windows (wine among them) checks the day against the month.
  if (!IsValidCalendarTime(Local)) return false;
  const SYSTEMTIME local = ToSystemTime(Local);
  SYSTEMTIME utc{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) return false;
  Utc = FromSystemTime(utc);
  return true;
}
