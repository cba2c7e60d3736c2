// USettingsMembers: the members of the settings file, one row each: its
// name, the reader that checks its value and stores it in the settings,
// for a member that the switch lines of the banner do not show the banner
// line that shows it, and its line of --help. Adding a member is one row
// and its reader.
//
// Read by the main thread at start-up only.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/UCommon.h"
#include "json/UJson.h"

struct TSettingsMember {
  std::u16string_view Name;
  // Stores Value in Settings; throws ESettingsValue (USettingsValue.h) or
  // EKeyFile (crypto/UKeyFile.h) when it cannot be used.
  void (*Read)(const TJsonPtr& Value, TConfig& Settings);
  // The banner line's text without "- " and ",", e.g. "charset = utf-8";
  // null for the members that the switch lines already show.
  std::string (*Banner)(const TConfig& Settings);
  // What --help says of the member: its values and what it sets.
  const char* Help;
};

// Every member, in the order of their banner lines.
const std::vector<TSettingsMember>& SettingsMembers();

// Pairs of members that a file may not both set.
const std::vector<std::pair<std::u16string_view, std::u16string_view>>& ExclusiveSettingsMembers();
