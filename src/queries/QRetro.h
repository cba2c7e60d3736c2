// QRetro: the "retro" query, the sampled history of up to five analog
// points over a span of time, with each point's name and units. Called by
// the dispatch on a client session thread; several sessions may run it at
// once, and other sessions may use the server between two of its points.
#pragma once

#include "queries/UQuery.h"

// Checks "start", "end", "step" (1 to 2678400 s) and "ti" (at most 5) and
// the sample count (at most 1000) before anything reaches the server; then
// per point three library calls under one holding of ServerLock. Answers
// "ti" (one array of samples per point) and "labels" (name and units per
// point with a valid address, null gaps for the others).
void QueryRetro(const TJsonPtr& Query, const TJsonPtr& Answer);
