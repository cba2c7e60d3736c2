// Telemetry: the point address of the queries and of the telemetry library's
// lists, the number conversion that address and time fields share, and the
// letters that spell a point's state flags.
//
// Pure functions of their arguments: any thread may call them at any time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "telvex.h"

// Channel, RTU and point, three little-endian 16-bit values. It is the
// library's own list record, so that address arrays go to it unconverted.
using TPointAddress = TTvxAddress;
static_assert(sizeof(TPointAddress) == 6, "TPointAddress is 6 bytes");
static_assert(offsetof(TPointAddress, Channel) == 0 && offsetof(TPointAddress, Rtu) == 2 &&
                  offsetof(TPointAddress, Point) == 4,
              "TPointAddress holds channel, RTU and point in this order");

// Reads "channel.RTU.point" (whitespace before each number and a "+" are
// accepted, whatever follows the third number is ignored). Channel 0 to 255,
// RTU 1 to 255, point 1 to 65535. On false, Address is left untouched.
bool ParsePointAddress(std::string_view Text, TPointAddress& Address);
// The same for a query's text, taken in the ANSI code page.
bool ParsePointAddress(std::u16string_view Text, TPointAddress& Address);

// The number conversion of query fields: leading blanks, an optional "+" or
// "-", then decimal digits, or hexadecimal digits after "$" or "0x" ("0X"),
// up to the end of the text, within the signed 32-bit range. On false,
// Value is left untouched.
bool IntTextValue(std::string_view Text, int32_t& Value);

// The letters of the flags set in Flags, in the order E R M Z N U 1 2 3 4,
// limited to those defined for the point kind; "" when none is set.
std::string StatusFlagLetters(uint16_t Flags);
std::string AnalogFlagLetters(uint16_t Flags);
std::string AccumFlagLetters(uint16_t Flags);
