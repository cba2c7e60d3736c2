// UStatusEvents: the decoders of the events about a status point: status
// changes, controls, status sets and acknowledgements. Each looks up the
// point's name, then its class data. For UEventRecord.cpp only.
#pragma once

#include "events/UEventKind.h"

bool DecodeStatusChange(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);
// A control, or a status set by hand or of a class field.
bool DecodeStatusCommand(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);
bool DecodeAcknowledge(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);
