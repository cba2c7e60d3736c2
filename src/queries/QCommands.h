// QCommands: the control commands "set-ts", "switch-ts", "ack-ts" and
// "set-ti", which change points on the telemetry server and record each
// change in its event log.
//
// Called by the dispatch on a client session thread, several at once.
// Each checks its own fields, then the command's authorisation, and only
// then calls the server; every failure is thrown as EQueryError. Success
// answers "ok" with the string "1".
#pragma once

#include "queries/UQuery.h"

// "ts" status point, "value" 0 or 1: sets the point by hand (flag M).
void QuerySetTs(const TJsonPtr& Query, const TJsonPtr& Answer);
// "ts": reads the point's state and sets the opposite one as "set-ts"
// does.
void QuerySwitchTs(const TJsonPtr& Query, const TJsonPtr& Answer);
// "ts": acknowledges the point's change (clears flag U).
void QueryAckTs(const TJsonPtr& Query, const TJsonPtr& Answer);
// "ti" analog point, "value" an integer or a number with at most four
// decimals: sets the value by hand (flag M).
void QuerySetTi(const TJsonPtr& Query, const TJsonPtr& Answer);
