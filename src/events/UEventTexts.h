// UEventTexts: the texts of each event type, for the record builder of this
// folder (UEventRecord.cpp) only. Same threads and rules as UEvents.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "events/UEvents.h"
#include "telemetry/TelemetryDynam.h"

// Value in decimal with at least Digits digits, leading zeros added.
std::string ZeroPadded(uint32_t Value, int Digits);

// Fills Name, SourceText and AddrText from a message of Size bytes at
// Message (kind, first text, second text) when Layout is 0x100 and the
// message is there; texts never read beyond the Size bytes.
void ApplyMessage(uint16_t Layout, const uint8_t* Message, size_t Size, TEventLogRecord& Record);

// The type, state and source texts of Event, and the importance that some
// types lift. Status is the loaded description of a status kind's point.
void AddEventTexts(const TServerEvent& Event, TStatusDynam& Status, TEventLogRecord& Record);
