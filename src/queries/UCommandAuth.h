// UCommandAuth: the proof that a control command's sender knows the command
// key: a SHA-256 hash over the key and a fresh millisecond timestamp, good
// for 120 seconds and only once.
//
// Called by the command handlers on client session threads, any number at
// once. The record of accepted hashes is process-wide and guarded inside.
#pragma once

#include <cstdint>
#include <string>

#include "json/UJson.h"

// Returns when the query carries a valid, unused "hash" for its
// "timestamp"; throws EQueryError with the answer's message otherwise.
void CheckCommandAuth(const TJsonPtr& Query);

// True, and the hash recorded as used, when Hash (ANSI) is the digest of
// the composed text for Timestamp (milliseconds since 1970 UTC), the
// timestamp's second is at most 120 seconds before the present one and
// not after it, and the hash has not been accepted within that window.
bool VerifyCommandHash(const std::string& Hash, int64_t Timestamp);

// The present moment in whole seconds since 1970-01-01 00:00 UTC, to the
// nearest second.
int64_t NowUtcUnix();
