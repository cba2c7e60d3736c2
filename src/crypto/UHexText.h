// UHexText: bytes written as lower-case hexadecimal digits, the form of
// every digest and MAC on the wire. Pure function, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Two digits per byte, high digit first, letters a to f in lower case.
std::string LowerHex(const uint8_t* Bytes, size_t Count);
