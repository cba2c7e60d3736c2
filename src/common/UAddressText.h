// UAddressText: IPv4 addresses written as the socket interface writes them
// (four decimal numbers without leading zeros, separated by "."), the only
// form in which the white list, the trusted proxies and the peer addresses
// are compared. Pure, any thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using TIPv4Bytes = std::array<uint8_t, 4>;

// The four bytes of an address text, or nothing when Text is not exactly in
// that form (a leading zero, a sign, a space or a fifth part is refused).
std::optional<TIPv4Bytes> ParseIPv4Text(std::string_view Text);

// The value of a decimal number of at most Max written without a leading
// zero (nor a sign or a space), or nothing.
std::optional<unsigned> ParseDecimalText(std::string_view Text, unsigned Max);

// The text of an address given by its four bytes, most significant first.
std::string IPv4Text(const TIPv4Bytes& Bytes);
