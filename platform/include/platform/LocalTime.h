// LocalTime: the wall clock as calendar fields, in local time and in UTC.
// Thread-safe; any thread may call.
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

// The current date and time in UTC (Win32 GetSystemTime).
TCalendarTime UtcTimeNow();
