// UEventKind: what the decoders of each kind of event share, for this
// folder only: the decoder's signature and the point an event is about.
#pragma once

#include <string>

#include "events/UEventLookup.h"
#include "events/UEventRecord.h"
#include "telvex.h"

// Fills Record's address, name, type and state texts for the kind of Event;
// false when the event yields no record (a message that cannot be shown).
using TKindDecoder = bool (*)(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);

inline TTvxAddress PointOf(const TServerEvent& Event) { return {Event.Channel, Event.Rtu, Event.Point}; }

// "channel:RTU:point" of the event, the numbers in decimal.
inline std::string BaseAddress(const TServerEvent& Event) {
  return std::to_string(Event.Channel) + ":" + std::to_string(Event.Rtu) + ":" + std::to_string(Event.Point);
}
