// LocalTime: the wall clock as calendar fields, in local time and in UTC,
// and the conversion of local calendar fields to UTC by the host's time-zone
// rules (daylight saving time included). Thread-safe; any thread may call.
#pragma once

#include <cstdint>

// One calendar moment, fields as people write them (Month 1 to 12,
// Day 1 to 31, Hour 0 to 23, Millisecond 0 to 999).
struct TCalendarTime {
  uint16_t Year = 0;
  uint16_t Month = 0;
  uint16_t Day = 0;
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
  uint16_t Millisecond = 0;
};

// True when Time names a real moment: a day that its month has (29
// February in leap years only), Hour below 24, Minute and Second below 60,
// Millisecond below 1000, Year from 1601 (where the Win32 clock begins).
inline bool IsValidCalendarTime(const TCalendarTime& Time) {
  if (Time.Month < 1 || Time.Month > 12 || Time.Day < 1 || Time.Year < 1601) return false;
  const bool leap = (Time.Year % 4 == 0 && Time.Year % 100 != 0) || Time.Year % 400 == 0;
  static constexpr uint16_t DaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const uint16_t days = Time.Month == 2 && leap ? 29 : DaysInMonth[Time.Month - 1];
  return Time.Day <= days && Time.Hour < 24 && Time.Minute < 60 && Time.Second < 60 && Time.Millisecond < 1000;
}

// The current local date and time (Win32 GetLocalTime).
TCalendarTime LocalTimeNow();

// The current date and time in UTC (Win32 GetSystemTime). Prefer it to
// converting LocalTimeNow(): it has no ambiguous hour when the clocks go back.
TCalendarTime UtcTimeNow();

// Converts a local date and time to UTC by the host's time-zone rules
// (Win32 TzSpecificLocalTimeToSystemTime; POSIX mktime and gmtime). The
// milliseconds are kept. Returns false, leaving Utc unchanged, when Local
// is not IsValidCalendarTime or lies outside the clock.
bool LocalToUtc(const TCalendarTime& Local, TCalendarTime& Utc);
