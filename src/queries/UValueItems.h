// UValueItems: the answer element of one value ("instant" and "retro"):
// whether a reading is shown, and the element that shows it or says "No".
//
// Pure functions: any thread.
#pragma once

#include <cstdint>
#include <string>

#include "json/UJson.h"

// The decimals of a current analog value ("instant"), which do not depend
// on the point's units field.
inline constexpr int AnalogDecimals = 4;

// An analog, accumulator or sampled value is shown when it is a number not
// greater than 1e20 and the flags do not mark the point unknown.
bool ValueUsable(float Value, uint16_t Flags);

// The answer element of a shown value: "v" and, when Letters is not empty,
// "f". Texts are ANSI.
TJsonPtr ValueItem(const std::string& Value, const std::string& Letters);
// The answer element of a value that is not shown: "v": "No", and for an
// accumulator also "l": "No".
TJsonPtr NoValueItem(bool WithLast = false);
