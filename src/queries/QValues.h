// QValues: the "instant" query, the current values of lists of status
// ("ts"), analog ("ti") and accumulator ("tii") points. Called by the
// dispatch on a client session thread; several sessions may run it at once.
#pragma once

#include "queries/UQuery.h"

// For each of "ts", "ti", "tii" present as an array (at most 1000 texts),
// one library call for the whole list and one answer object per element:
// "v" the value text and "f" the flag letters, or "v": "No" (for "tii"
// also "l": "No") when the value is not usable or the call failed.
void QueryInstant(const TJsonPtr& Query, const TJsonPtr& Answer);
