// UUnits: the 8-byte units field of the library's analog and accumulator
// records: its text and the decimals its last byte carries.
//
// Pure functions: any thread.
#pragma once

#include <string>

// The units text: bytes from the first up to, not including, the first
// blank or NUL, at most all 8.
std::string UnitsText(const char (&Units)[8]);
// The decimals that byte 7 of the units field carries: (byte - 7) / 16,
// truncated toward zero, so bytes 0 to 22 give 0 and 255 gives 15.
int UnitsDecimals(const char (&Units)[8]);
