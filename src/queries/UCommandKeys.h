// UCommandKeys: the keys that sign control commands: the default key (the
// command key of the switch or the settings file) and the named keys of
// the settings file.
//
// Reads Config only (read-only once other threads run): any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// True when Id is a valid key id: 1 to 32 characters of A-Z a-z 0-9 _ . -
bool IsCommandKeyId(std::string_view Id);

// True when any key is configured, default or named: commands are served.
bool CommandKeysConfigured();

// The ANSI bytes of the key named KeyId, of the default key when KeyId is
// empty; nothing when no such key is configured.
std::optional<std::string> FindCommandKey(const std::string& KeyId);
