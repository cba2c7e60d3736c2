// UQuery: what every query handler is, for the handlers (this folder) and
// the session that dispatches to them (src/net).
//
// A handler runs on the thread of one client session. It reads members of
// Query, adds members to Answer (an object made by the dispatch) and sends
// nothing itself. It reports failure by throwing EQueryError, whose message
// the session answers as {"error": message}, unchanged; any other
// exception is answered the same way with its what().
#pragma once

#include <stdexcept>
#include <string>

#include "common/UMessages.h"
#include "json/UJson.h"

// A failure of a query. The message is an 8-bit text in the ANSI code page,
// as it goes to the client and the log.
struct EQueryError : std::runtime_error {
  using std::runtime_error::runtime_error;
  explicit EQueryError(TMessage Id) : std::runtime_error(MessageText(Id)) {}
};

using TQueryHandler = void (*)(const TJsonPtr& Query, const TJsonPtr& Answer);
