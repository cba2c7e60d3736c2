// QSign: signing of command queries with the command key, as the gateway
// checks them: "timestamp" (UTC milliseconds), "hash" (SHA-256 of the key
// and the timestamp) and "mac" (HMAC-SHA-256 over the whole command, with
// "keyId" when a named key signs), in lower-case hexadecimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "QOptions.h"
#include "json/UJson.h"

// The command key in the wire's code page: the first line of KeyFile when
// given (throws EUsage when it cannot be read or is empty), else the
// environment variable VORLANE_COMMAND_KEY, else nothing. Never taken from
// an argument, which other users of the machine can read.
std::optional<std::string> ReadCommandKey(const std::optional<std::string>& KeyFile);

// Puts "timestamp" (now, in UTC milliseconds) into Query, and "hash",
// "mac" or both as Auth asks; KeyId, when given, goes in as "keyId" and
// into the MAC.
void SignCommand(const TJsonPtr& Query, const std::string& Key, TSignAuth Auth,
                 const std::optional<std::string>& KeyId);
