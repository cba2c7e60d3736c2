// UTimeTextForms: the two forms of time texts behind ParseTimeText, and the
// encoding of a day and a time of day that they share. Used only by the
// UTimeText units; pure functions, any thread.
#pragma once

#include <chrono>
#include <string_view>

#include "telemetry/UTimeText.h"

// Day 0 of TDateTime: a time of day alone lies on it.
inline constexpr std::chrono::local_days DayZero{std::chrono::year{1899} / std::chrono::December / 30};

// The date-time of a local day plus a time of day (0 up to a day).
TDateTime ToDateTime(std::chrono::local_days Day, std::chrono::milliseconds TimeOfDay);

// A date with an optional time of day, or a time of day alone (on
// 30 December 1899). A year of one or two digits falls in the hundred years
// that begin 50 years before the present one.
bool ParseAbsoluteTime(std::string_view Text, const TTimeTextContext& Context, TDateTime& Value);

// "day.month.year hour:minute", each field a number, "T" for the present
// component or "T-n" for n units before it.
bool ParseRelativeTime(std::string_view Text, const TCalendarTime& Now, TDateTime& Value);
