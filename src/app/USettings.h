// USettings: the settings file that "/config=PATH" names: one JSON object
// in UTF-8 (a byte order mark is skipped), read with the gateway's own
// lenient parser (comments and trailing commas allowed), whose members are
// those of the member table (USettingsMembers.h), each optional.
//
// Called by the main thread at start-up only, before any other thread.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/UCommon.h"

// A settings file that cannot be used. what() names the member and says
// why ("port: must be an integer from 1 to 65535"), or says what is wrong
// with the whole file ("cannot be read").
struct ESettings : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the file at Path (as the platform's file functions take a path)
// and stores each member it sets in Settings. Returns the names of the
// members set. Throws ESettings for a file that cannot be read, is not one
// JSON object, has a member that is unknown, of the wrong kind or out of
// its range, sets two members that exclude each other, or names a key file
// that cannot be used; Settings may then be partly changed.
std::vector<std::u16string_view> ReadSettingsFile(const std::string& Path, TConfig& Settings);

// The lines that the banner adds for the members Set ("- charset = utf-8,"),
// in the table's order: none for the members that its switch lines show.
std::vector<std::string> SettingsBannerLines(const TConfig& Settings, const std::vector<std::u16string_view>& Set);
