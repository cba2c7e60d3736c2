// UPointLists: the lists of points of "instant" and "info": the list
// members of a query as address areas, and the library's list calls, one
// per kind of record.
//
// Called on client session threads; each list call holds ServerLock for
// itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/UMessages.h"
#include "json/UJson.h"
#include "telemetry/Telemetry.h"

// The longest list of points that one library call takes.
inline constexpr std::size_t MaxListPoints = 1000;

using TAddressList = std::array<TPointAddress, MaxListPoints>;

// The list member Name: false when it is not an array (nothing to answer);
// throws EQueryError(TooMany) beyond MaxListPoints elements; otherwise
// Count elements, Addresses[i] from the text of element i (a text that is
// not an address leaves its entry zero).
// REQUIRES: Addresses zero-filled.
bool ReadAddressList(const TJsonPtr& Query, std::u16string_view Name, TMessage TooMany, TAddressList& Addresses,
                     uint16_t& Count);

// The list call of each kind of record, with the arguments it reserves;
// gives the library's result (1: read).
int32_t ReadList(uint16_t Count, const TPointAddress* List, TStatusReading* Result);
int32_t ReadList(uint16_t Count, const TPointAddress* List, TAnalogReading* Result);
int32_t ReadList(uint16_t Count, const TPointAddress* List, TAccumReading* Result);
