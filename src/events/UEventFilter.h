// UEventFilter: the filter of the event queries and its matching rules.
// Pure functions, safe on any thread.
#pragma once

#include <cstdint>
#include <string>

#include "events/UEventRecord.h"
#include "telvex.h"

// The mask bit of each importance level 0 to 3.
inline constexpr uint32_t ImportanceBits[4] = {1, 2, 4, 8};

struct TEventFilter {
  uint16_t ImpMask = 15;         // 0: no importance test
  uint16_t TypeMask = 0xFFFF;    // applied by the library
  uint32_t StartTime = 0;        // applied by the library
  uint32_t EndTime = 0xFFFFFFFF; // applied by the library
  TTvxAddress FilterAddr = {0, 0, 0};  // active when Point is not 0
};

// The address text that EventMatchesFilter compares with: "#TC" and the
// filter's channel:RTU:point, or "" when the filter has no address.
std::string FilterAddrText(const TEventFilter& Filter);

// True when Record passes the importance and address tests of Filter. The
// importance tested is the decoded one (MakeEventLogRecord); one outside 0
// to 3 counts as level 3, so the default mask keeps it.
bool EventMatchesFilter(const TEventLogRecord& Record, const TEventFilter& Filter, const std::string& AddrText);
