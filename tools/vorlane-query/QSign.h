// QSign: signing of command queries with the command key, as the gateway
// checks them: "timestamp" (UTC milliseconds) and "hash" (SHA-256 of the
// key and the timestamp, lower-case hexadecimal).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "json/UJson.h"

// The command key in the wire's code page: the first line of KeyFile when
// given (throws EUsage when it cannot be read or is empty), else the
// environment variable VORLANE_COMMAND_KEY, else nothing. Never taken from
// an argument, which other users of the machine can read.
std::optional<std::string> ReadCommandKey(const std::optional<std::string>& KeyFile);

// Puts "timestamp" (now, in UTC milliseconds) and its "hash" into Query.
void SignCommand(const TJsonPtr& Query, const std::string& Key);
