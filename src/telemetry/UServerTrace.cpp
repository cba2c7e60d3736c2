// UServerTrace: the trace service record and its state reports.
#include "telemetry/UServerTrace.h"

#include "halvern.h"

uint8_t ServerSlot[8];

void ReportServerState(TServerTraceState State) { strac_SetServerState(ServerSlot, State); }
