// UEvents: the server's event records decoded into the texts that clients
// read, and the filter that the event queries apply to them.
//
// MakeEventLogRecord runs on the session thread of an events query; several
// sessions may run it at once. It keeps no state between calls; each of its
// library calls is made holding ServerLock by itself, never across the
// building of a record. EventMatchesFilter is a pure function.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "telemetry/UTimeText.h"
#include "telvex.h"

// The mask bit of each importance level 0 to 3.
inline constexpr uint32_t ImportanceBits[4] = {1, 2, 4, 8};

// A record that cannot be decoded; its message (ANSI) ends the query.
struct EEventError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One decoded event. Texts are in the ANSI code page.
struct TEventLogRecord {
  int32_t Importance = 0;
  uint32_t State = 0;         // new state of a status change, else 0
  int32_t ClassNumber = -1;   // -1 unless the event is about a status point
  std::string Name;           // object name or message text
  std::string DateText;       // event time text
  TDateTime DateTime = 0;     // the same time, decoded
  uint32_t UTime = 0;         // the same time in the library's seconds
  uint16_t EventType = 0;
  std::string TypeText;       // what kind of event
  std::string StateText;      // what happened
  std::string SourceText;     // who made the event
  std::string AddrText;       // "#TC1:2:3", "#TT1:2:3", "#MSG..." or "1:2:3"
  std::string RefText;        // reserve reference and source time
};

struct TEventFilter {
  uint16_t ImpMask = 15;         // 0: no importance test
  uint16_t TypeMask = 0xFFFF;    // applied by the library
  uint32_t StartTime = 0;        // applied by the library
  uint32_t EndTime = 0xFFFFFFFF; // applied by the library
  TTvxAddress FilterAddr = {0, 0, 0};  // active when Point is not 0
};

// The decoded event, or nothing for a message that cannot be shown. Looks
// up names and class data on the server. Throws EEventError for a time text
// that gives no valid date and time.
// REQUIRES: IsServerConnected() returned true for this query.
std::optional<TEventLogRecord> MakeEventLogRecord(const TServerEvent& Event);

// The address text that EventMatchesFilter compares with: "#TC" and the
// filter's channel:RTU:point, or "" when the filter has no address.
std::string FilterAddrText(const TEventFilter& Filter);

// True when Record passes the importance and address tests of Filter. An
// importance outside 0 to 3 counts as level 3, so the default mask keeps it.
bool EventMatchesFilter(const TEventLogRecord& Record, const TEventFilter& Filter, const std::string& AddrText);
