// LocalTime, Win32: the system clock in SYSTEMTIME form.
#include "platform/LocalTime.h"

#include <windows.h>

namespace {

TCalendarTime FromSystemTime(const SYSTEMTIME& Time) {
  TCalendarTime result;
  result.Year = Time.wYear;
  result.Month = Time.wMonth;
  result.Day = Time.wDay;
  result.Hour = Time.wHour;
  result.Minute = Time.wMinute;
  result.Second = Time.wSecond;
  result.Millisecond = Time.wMilliseconds;
  return result;
}

SYSTEMTIME ToSystemTime(const TCalendarTime& Time) {
  SYSTEMTIME result{};
  result.wYear = Time.Year;
  result.wMonth = Time.Month;
  result.wDay = Time.Day;
  result.wHour = Time.Hour;
  result.wMinute = Time.Minute;
  result.wSecond = Time.Second;
  result.wMilliseconds = Time.Millisecond;
  return result;
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
