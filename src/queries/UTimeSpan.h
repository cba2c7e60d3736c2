// UTimeSpan: the "start" and "end" time texts of a query ("retro",
// "events-archive"), read in two steps so that a handler may check its
// other members between them, as the order of its refusals requires.
//
// Pure functions: any thread. Both throw EQueryError.
#pragma once

#include <cstdint>
#include <string>

#include "json/UJson.h"

struct TTimeSpanTexts {
  std::u16string Start;
  std::u16string End;
};

// Seconds since 1970 UTC.
struct TTimeSpan {
  int64_t Start = 0;
  int64_t End = 0;
};

// Both members present as texts.
TTimeSpanTexts ReadTimeSpanTexts(const TJsonPtr& Query);
// Both texts times, and the start not after the end.
TTimeSpan ParseTimeSpan(const TTimeSpanTexts& Texts);
