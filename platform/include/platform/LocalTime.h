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

// The current local date and time (Win32 GetLocalTime).
TCalendarTime LocalTimeNow();

// The current date and time in UTC (Win32 GetSystemTime). Prefer it to
// converting LocalTimeNow(): it has no ambiguous hour when the clocks go back.
TCalendarTime UtcTimeNow();

// Converts a local date and time to UTC by the host's time-zone rules
// (Win32 TzSpecificLocalTimeToSystemTime; POSIX mktime and gmtime). The
// milliseconds are kept. Returns false, leaving Utc unchanged, when Local
// cannot be converted (a field out of range, a year outside the clock).
bool LocalToUtc(const TCalendarTime& Local, TCalendarTime& Utc);
