// USettingsCommands: the readers and banner lines of the settings file's
// command security members, rows of the member table (USettingsMembers.h):
// commandAuth ("hash", "mac" or "either"), commandKeys (key id -> key
// file) and commandLockout ({"failures": 1..1000, "seconds": 10..86400}).
//
// Called by the main thread at start-up only.
#pragma once

#include <string>

#include "common/UCommon.h"
#include "json/UJson.h"

void ReadCommandAuth(const TJsonPtr& Value, TConfig& Settings);
// Each key file read as commandKeyFile is, with the same permission rule;
// the keys are kept as their ANSI bytes.
void ReadCommandKeys(const TJsonPtr& Value, TConfig& Settings);
// Both members are needed; no other is taken.
void ReadCommandLockout(const TJsonPtr& Value, TConfig& Settings);

// "command auth = mac"
std::string CommandAuthBanner(const TConfig& Settings);
// "command keys = ivanov, scada-2": the ids only, never a key.
std::string CommandKeysBanner(const TConfig& Settings);
// "command lockout = 5 failures in 300 seconds"
std::string CommandLockoutBanner(const TConfig& Settings);
