// UEventRecord: the server's event records decoded into the texts that
// clients read.
//
// MakeEventLogRecord runs on the session thread of an events query; several
// sessions may run it at once, each with its own look-up. It keeps no state
// between calls and makes no library call itself: what it needs beyond the
// record it asks of the look-up, in the order the record's kind needs it.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "events/UEventLookup.h"
#include "telvex.h"

// A record that cannot be decoded; its message (ANSI) ends the query.
struct EEventError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One decoded event: exactly what an answer's event item carries. Nothing
// else of the event is kept: its source text, the point's reserve reference
// and the time as a date reach no answer. Texts are in the ANSI code page.
struct TEventLogRecord {
  int32_t Importance = 0;  // the server's level, or 2 where decoding lifts it
  std::string Name;        // object name or message text
  std::string DateText;    // event time text
  std::string TypeText;    // what kind of event
  std::string StateText;   // what happened
  std::string AddrText;    // "#TC1:2:3", "#TT1:2:3", "#MSG..." or "1:2:3"
};

// The decoded event, or nothing for a message that cannot be shown. Throws
// EEventError for a time text that gives no valid date and time, before
// any look-up.
std::optional<TEventLogRecord> MakeEventLogRecord(const TServerEvent& Event, IEventLookup& Lookup);
