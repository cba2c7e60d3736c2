// USettingsValue: the readings of one member's value in the settings file,
// shared by the readers of the member table (USettingsMembers.h). Each
// gives the value when it has the wanted kind and range, and otherwise
// throws ESettingsValue saying what the value must be; the file reader
// puts the member's name in front.
//
// Called by the main thread at start-up only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "json/UJson.h"

struct ESettingsValue : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A string that is not empty.
std::u16string StringOf(const TJsonPtr& Value);

// An integer (JSON integer kind only, not a number with a fraction or a
// text) from Low to High.
int64_t IntegerIn(const TJsonPtr& Value, int64_t Low, int64_t High);

// The position in Choices of the string that Value is, compared exactly.
std::size_t ChoiceOf(const TJsonPtr& Value, std::initializer_list<std::u16string_view> Choices);

// An IPv4 address text in the one form that the socket interface writes
// ("127.0.0.1": four decimal numbers without leading zeros).
std::string IPv4Of(const TJsonPtr& Value);

// An array, possibly empty, of such address texts.
std::vector<std::string> IPv4ListOf(const TJsonPtr& Value);
