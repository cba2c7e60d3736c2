// UAnalogEvents: the decoders of the events about an analog point: alarms
// and values set. Each looks up the point's name first. For
// UEventRecord.cpp only.
#pragma once

#include "events/UEventKind.h"

// Also looks up the alarm's name.
bool DecodeAnalogAlarm(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);
bool DecodeAnalogSet(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);
