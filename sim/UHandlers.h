// UHandlers: the answers of telvexd to the library's operations. Each
// handler reads its request, takes the simulator's lock for what it needs,
// and writes its answer; false means the operation failed (an answer with
// the failed status and no payload). Called by the connection threads.
#pragma once

#include "USimulator.h"
#include "protocol/UTvxWire.h"

// Dispatches one request; false for a failure or an unknown operation.
bool HandleCall(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer);

// The handlers of each group.
bool HandleObjects(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer);
bool HandleValues(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer);
bool HandleCommands(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer);
bool HandleEventLog(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer);

// Adds a change to a point, keeping the changes in time order.
void AddOverride(TPointBase& Point, const TOverride& Change);
// Reads channel, RTU and point.
TTvxAddress ReadAddress(TTvxReader& Request);

// Appends a record to the log (an empty time text becomes the server's
// current time, with milliseconds); its number.
int64_t RegisterEvent(TSimulator& Sim, TServerEvent Record);
