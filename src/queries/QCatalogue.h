// QCatalogue: the server catalogue queries, which walk the server's
// configuration from the top down: "tms-ch" the channels, "tms-rtu" the
// RTUs of one channel, "tms-ts", "tms-ti" and "tms-tii" the status, analog
// and accumulator points of one RTU, a page of at most 255 from "from" on.
// Called by the dispatch on a client session thread; several sessions may
// run them at once, and other sessions may use the server between two
// objects of one answer.
#pragma once

#include "queries/UQuery.h"

// Each answers "total", "lastId" and "items" (objects with "id" and "n";
// an object without a name leaves a null gap).
void QueryChannels(const TJsonPtr& Query, const TJsonPtr& Answer);
void QueryRtus(const TJsonPtr& Query, const TJsonPtr& Answer);
void QueryStatusPoints(const TJsonPtr& Query, const TJsonPtr& Answer);
void QueryAnalogPoints(const TJsonPtr& Query, const TJsonPtr& Answer);
void QueryAccumPoints(const TJsonPtr& Query, const TJsonPtr& Answer);
