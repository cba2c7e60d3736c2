// QTest: the "test" query, which tells a client that the gateway is up and
// connected to the telemetry server. Called by the dispatch on a client
// session thread, after the connection has been found alive.
#pragma once

#include "queries/UQuery.h"

// Adds "ok" with the string "1" and "serverTime" with the server's current
// time text.
void QueryTest(const TJsonPtr& Query, const TJsonPtr& Answer);
