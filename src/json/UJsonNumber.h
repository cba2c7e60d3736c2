// UJsonNumber: number texts of the JSON unit, in both directions, and the
// integer readings of AsInteger. Pure functions, internal to the unit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "json/UJson.h"

// The value of a hexadecimal digit of either letter case, or -1.
int HexDigit(char16_t C);

// A parsed number text (digits, "+", "-", ".", "e", "E"): an integer when it
// has no ".", "e" or "E", a currency when it has a "." with at most four
// digits after it and no exponent, otherwise a double. Texts that are not
// well formed get a value all the same; out-of-range values saturate
// (doubles to the largest finite value or to zero, never to infinity).
TJsonPtr NumberFromText(std::u16string_view Text);

// The whole text as an integer (leading spaces, optional sign, decimal
// digits, or hexadecimal digits after "$" or "0x"); 0 when it is not one or
// does not fit in 64 bits.
std::int64_t IntegerFromText(std::u16string_view Text);

// Nearest integer, halves to the even neighbour, clamped; NaN gives 0.
std::int64_t RoundDouble(double Value);
// Units / 10 000 rounded the same way.
std::int64_t RoundCurrency(std::int64_t Units);

void AppendInteger(std::u16string& Out, std::int64_t Value);
// "1.5", "2." (the point stays), "0"; a "-" before negative values.
void AppendCurrency(std::u16string& Out, std::int64_t Units);
// The text that the Windows runtime's _gcvt gives for 15 significant
// digits: fixed notation for exponents -1 to 14 with trailing fraction zeros
// dropped but the point kept ("2.", "0.1"), otherwise one digit, the point,
// the rest and an exponent of at least three digits ("1.5e+020", "1.e-005").
// Non-finite values give null.
void AppendDouble(std::u16string& Out, double Value);
