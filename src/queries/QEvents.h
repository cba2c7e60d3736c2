// QEvents: the event log queries "events-latest" (the last N events),
// "events-current" (the events after a given event number, for polling)
// and "events-archive" (a time span with importance, type and address
// filters). Called by the dispatch on a client session thread; several may
// run at once. ServerLock is held only around each single library call.
#pragma once

#include "queries/UQuery.h"

// "quantity" 0 to 2000: the last that many events, as "events".
void QueryEventsLatest(const TJsonPtr& Query, const TJsonPtr& Answer);
// Without "fromEventId": only "lastEventId", the current event number.
// With it: the events after it as "events", and "lastEventId" to pass as
// the next "fromEventId".
void QueryEventsCurrent(const TJsonPtr& Query, const TJsonPtr& Answer);
// "start" and "end" time texts, optional "imp", "type" masks and "addr".
void QueryEventsArchive(const TJsonPtr& Query, const TJsonPtr& Answer);
