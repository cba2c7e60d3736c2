// UDispatch: the query envelope shared by every query type, and the one
// table from query type to handler. Called on a client session thread.
#pragma once

#include <string_view>

#include "queries/UQuery.h"

// The handler of a query type given in lower case (letters A to Z folded,
// as the envelope does), or nullptr when the table has none.
TQueryHandler FindQueryHandler(std::string_view LowerType);

// Runs one parsed query and gives its successful answer: refuses while the
// gateway shuts down or the telemetry server is disconnected, reads
// "query" (required) and "id" (copied into the answer when it is a string),
// and calls the handler of the query type. Throws EQueryError with the
// envelope's messages; passes on whatever the handler throws.
TJsonPtr DispatchQuery(const TJsonPtr& Query);
