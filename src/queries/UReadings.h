// UReadings: what the data queries ("instant", "info", "retro" and the
// catalogue) share: the units field of the library's value records, the
// test of a usable value, the answer elements of one value, the address
// lists of a request, the name of an object and the query's typed fields.
//
// Pure functions unless marked: any session thread may call them at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/UJson.h"
#include "telemetry/Telemetry.h"
#include "telemetry/UServer.h"

// The longest list of points that one library call takes.
inline constexpr std::size_t MaxListPoints = 1000;

using TAddressList = std::array<TPointAddress, MaxListPoints>;

// The decimals of a current analog value ("instant"), which do not depend
// on the point's units field.
inline constexpr int AnalogDecimals = 4;

// The units text: bytes from the first up to, not including, the first
// blank or NUL, at most all 8.
std::string UnitsText(const char (&Units)[8]);
// The decimals that byte 7 of the units field carries: (byte - 7) / 16,
// truncated toward zero, so bytes 0 to 22 give 0 and 255 gives 15.
int UnitsDecimals(const char (&Units)[8]);

// An analog, accumulator or sampled value is shown when it is a number not
// greater than 1e20 and the flags do not mark the point unknown.
bool ValueUsable(float Value, uint16_t Flags);

// The answer element of a shown value: "v" and, when Letters is not empty,
// "f". Texts are ANSI.
TJsonPtr ValueItem(const std::string& Value, const std::string& Letters);
// The answer element of a value that is not shown: "v": "No", and for an
// accumulator also "l": "No".
TJsonPtr NoValueItem(bool WithLast = false);

// Fills Addresses[i] from the text of element i of List (an array), for
// every element; a text that is not an address leaves its entry zero.
// REQUIRES: ArrayLength(List) <= MaxListPoints, Addresses zero-filled.
void ParseAddressList(const TJsonPtr& List, TAddressList& Addresses);

// The list's element count as the 16-bit count of a list call.
// REQUIRES: ArrayLength(List) <= MaxListPoints.
uint16_t ListCount(const TJsonPtr& List);

// Asks the library for the name of an object (Kind TVX_KIND_*) into a
// cleared area and gives the library's result taken as a signed 16-bit
// value (> 0: named); Name is the text up to its NUL, empty when the
// result is not above 0.
int16_t ReadObjectName(uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point, std::string& Name)
    REQUIRES(ServerLock);

// A query member read the one fixed way: present and of the expected kind.
// The integer is its low 32 bits taken as a signed number. False when the
// member is missing or of another kind.
bool IntegerField(const TJsonPtr& Query, std::u16string_view Name, int32_t& Value);
bool TextField(const TJsonPtr& Query, std::u16string_view Name, std::u16string& Text);
