// UConfig: the settings of the gateway from its command line.
//
// ReadCommandLine is called once by the main thread at start-up, before any
// other thread exists. The kept entries stay valid in TArgs for as long as
// it lives (the pointers are handed to the host's process monitor).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/UCommon.h"

// At most this many command-line entries are kept: the program path and
// the first nine arguments.
inline constexpr int MaxArgs = 10;

// The kept command-line entries, as texts and as NUL-terminated pointers
// into those texts. Neither copied nor moved, so the pointers stay valid.
struct TArgs {
  uint16_t ArgCount = 0;
  std::array<std::string, MaxArgs> ArgTexts;
  std::array<char*, MaxArgs> ArgPointers{};

  TArgs() = default;
  TArgs(const TArgs&) = delete;
  TArgs& operator=(const TArgs&) = delete;
};

// Keeps the entries of Argv (the program path first) in Args and applies
// them to Settings (ApplySwitches), which the caller has filled with the
// defaults.
void ReadCommandLine(int Argc, const char* const* Argv, TConfig& Settings, TArgs& Args);

// Applies every switch among the kept entries to Settings: on the defaults,
// or on what a settings file set, which the switches override. Switches
// are matched with their letter case; the last occurrence of a switch
// wins; a numeric value is taken modulo 65536 and replaced by its default
// when out of range; "/config=" takes the whole rest of its entry as the
// settings file's path; "/commandkey=" forgets a key file. Entries that
// match no switch are ignored.
void ApplySwitches(const TArgs& Args, TConfig& Settings);
