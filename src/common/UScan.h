// UScan: formatted scanning of 8-bit texts with the conversions %d and %s,
// in the manner of formatted input. Pure function, safe on any thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// A destination of one conversion: %d stores into an int32_t, %s into a text.
using TScanPlace = std::variant<int32_t*, std::string*>;

// Returns the number of values stored (0 up to the number of conversions);
// -2 when the format holds a conversion without a place. Places of
// conversions after the scan stopped keep their contents. The text ends at
// its length or at its first NUL.
//
// %d skips whitespace, takes an optional sign and decimal digits, wrapping
// around on 32-bit overflow; %s skips whitespace and takes the run up to
// the next whitespace, vertical tab or form feed, however long. A place of
// the wrong kind (or a null one) counts as missing. "%%" matches a "%" in
// the text; any other conversion letter, or a "%" ending the format, stops
// the scan.
int ScanText(std::string_view Text, std::string_view Format, std::initializer_list<TScanPlace> Places);
