// UCommandMac: the MAC that signs a whole control command (type, point,
// value, timestamp and key id), shared by the gateway that checks it and
// the client that makes it, so that both compose the same bytes.
//
// Pure functions, safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The fields a command's MAC covers, as the texts that the MAC text holds.
struct TCommandFields {
  std::string Type;     // the query type in lower case: "set-ts", ...
  std::string Address;  // "channel.rtu.point" in decimal, no leading zeros
  std::string Value;    // "0"/"1" for set-ts, FourDecimals for set-ti, else empty
  int64_t Timestamp = 0;
  std::string KeyId;    // empty for the default key
};

// "vorlane-command-v1", Type, Address, Value, the timestamp in decimal and
// KeyId, separated by single line feeds, none at the end.
std::string CommandMacText(const TCommandFields& Fields);

// HMAC-SHA-256 of CommandMacText(Fields) under the key's ANSI bytes, as 64
// lower-case hexadecimal digits.
std::string CommandMac(const std::string& AnsiKey, const TCommandFields& Fields);

// A JSON number text ("12.5", "2.", "-3") with exactly four decimals after
// a point ("12.5000", "2.0000", "-3.0000"); extra decimals are cut off.
std::string FourDecimals(std::string_view NumberText);
