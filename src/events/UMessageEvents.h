// UMessageEvents: the decoders of the message events: a message carried in
// the record, and one kept by the server under an index (looked up). A
// message is shown only when its layout code is 0x100; otherwise the event
// yields no record. For UEventRecord.cpp only.
#pragma once

#include "events/UEventKind.h"

bool DecodeMessage(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);
bool DecodeMessageRef(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record);
