// UTvxTime: the library's time scale (whole seconds since 1970-01-01 00:00
// of the server's local clock, no time-zone conversion) and its texts
// "dd.mm.yyyy hh:mm:ss[.ff|.fff]". Pure functions, callable from any thread,
// except LocalNowMs, which reads the clock.
#pragma once

#include <cstdint>
#include <string>

struct TTvxDateTime {
  int Year = 1970, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
int64_t DaysFromCivil(int Year, int Month, int Day);
// Seconds of a date and time; no checks.
int64_t TvxSecondsOf(const TTvxDateTime& Time);
// The calendar date and time of seconds (Millisecond 0).
TTvxDateTime TvxDateTimeOf(int64_t Seconds);

// "dd.mm.yyyy hh:mm:ss".
std::string TvxTimeText(int64_t Seconds);
// "dd.mm.yyyy hh:mm:ss.mmm".
std::string TvxTimeTextMs(int64_t Milliseconds);
// "dd.mm.yyyy hh:mm:ss.hh" (hundredths).
std::string TvxTimeTextCs(int64_t Milliseconds);

// Reads a time text as written above (at most Size characters, stopping at
// a NUL). A fraction of two digits counts hundredths, of three digits
// milliseconds. False when the text is not a valid date and time.
bool ParseTvxTime(const char* Text, size_t Size, TTvxDateTime& Time);

// The local clock now, in milliseconds of the library's scale.
int64_t LocalNowMs();
