// UCommandAuth: the proof that a control command's sender knows a command
// key, in the scheme that Config.CommandAuth takes:
// - hash: a SHA-256 hash over the default key and a fresh millisecond
//   timestamp ("hash", "timestamp");
// - MAC: an HMAC-SHA-256 over the whole command (type, point, value,
//   timestamp, key id) under the default key or a named one ("mac",
//   "timestamp", "keyId").
// Either proof is good for 120 seconds and only once. Every refusal of the
// check itself answers "ERROR: incorrect hash"; the reason goes to the
// session's command audit, and refusals count towards the client's
// lock-out.
//
// Called by the command handlers on client session threads, any number at
// once. The record of accepted proofs is process-wide and guarded inside.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "json/UJson.h"
#include "queries/UCommandAudit.h"

// Returns when the query carries a valid, unused proof for Subject (the
// command as its handler read it); throws EQueryError with the answer's
// message otherwise. Records the check in this thread's CommandAudit().
void CheckCommandAuth(const TJsonPtr& Query, const TCommandSubject& Subject);

enum class TProofVerdict { Accepted, Stale, Ahead, Reused, Wrong };

struct TProofCheck {
  TProofVerdict Verdict;
  int64_t Now;  // the gateway's clock used, in seconds since 1970 UTC
};

// Accepted, and Proof (a hash or a MAC, ANSI) recorded as used, when the
// timestamp's second (Timestamp in UTC milliseconds) is at most 120
// seconds before the present one and not after it, Proof has not been
// accepted within that window, and it equals Expected() exactly; Expected
// is called only once the time and the record have passed. One step with
// respect to other threads.
TProofCheck VerifyCommandHash(const std::string& Proof, int64_t Timestamp,
                              const std::function<std::string()>& Expected);
