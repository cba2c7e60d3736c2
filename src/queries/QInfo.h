// QInfo: the "info" query, the names of lists of points and, for analog
// and accumulator points, their units. Called by the dispatch on a client
// session thread; several sessions may run it at once.
#pragma once

#include "queries/UQuery.h"

// For each of "ts", "ti", "tii" present as an array (at most 1000 texts),
// one array per element: the point's name, and for "ti" and "tii" also its
// units. The units come from one list call per list, the names from one
// call per point, each under its own holding of ServerLock.
void QueryInfo(const TJsonPtr& Query, const TJsonPtr& Answer);
