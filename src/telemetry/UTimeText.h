// UTimeText: the date-time texts of the queries, absolute ("05.03.2014
// 10:15") or counted back from the present moment ("T-1.T.T 0:0"), and the
// conversion of a date-time to the whole seconds that the library takes.
//
// Every operation may run on any number of threads at once. ParseTimeText
// reads the local clock, the regional settings (platform/Regional.h) and
// ShutdownRequested; the overload with a TTimeTextContext reads only that
// context and ShutdownRequested, so tests can fix the present moment.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/LocalTime.h"
#include "platform/Regional.h"

// A local date and time: days since 30 December 1899 00:00, the time of day
// being the fraction (day 25569 is 1 January 1970). Counted linearly, so
// that a moment before that day is a negative number whose fraction
// (value minus its floor) is still the time of day.
using TDateTime = double;

// The standing conventions of date and time texts: day, month and year in
// the order of the short date pattern, with these separators.
inline constexpr std::string_view ShortDatePattern = "dd.mm.yyyy";
inline constexpr char DateSeparator = '.';
inline constexpr char TimeSeparator = ':';
static_assert(ShortDatePattern[2] == DateSeparator && ShortDatePattern[5] == DateSeparator);

// What a time text is read against: the present local moment and the
// regional decimal separator and morning and afternoon markers.
struct TTimeTextContext {
  TCalendarTime Now;
  const TRegionalSettings& Regional;
};

// Reads an absolute or relative time text (8-bit). False, leaving Value
// untouched, for an empty or invalid text and whenever ShutdownRequested
// is set.
bool ParseTimeText(std::string_view Text, TDateTime& Value);
bool ParseTimeText(std::string_view Text, TDateTime& Value, const TTimeTextContext& Context);
// The same for a query's text, taken in the ANSI code page.
bool ParseTimeText(std::u16string_view Text, TDateTime& Value);

// The date-time of calendar fields (year 1 to 9999, a real date, hour below
// 24, minute and second below 60, millisecond below 1000); false otherwise,
// leaving Value untouched.
bool EncodeDateTime(const TCalendarTime& Time, TDateTime& Value);

// Whole seconds since 1 January 1970 00:00 of the same clock:
// (Value - 25569) * 86400 rounded to the nearest integer, halves to the even
// neighbour. A result beyond the 64-bit range is clamped to it; NaN gives 0.
int64_t DateTimeToUnix(TDateTime Value);

// The present moment in whole seconds since 1970-01-01 00:00 UTC, to the
// nearest second.
int64_t NowUtcUnix();
