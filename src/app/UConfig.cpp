// UConfig: see UConfig.h.
#include "app/UConfig.h"

#include <algorithm>
#include <string_view>

#include "common/UScan.h"

namespace {

// One numeric switch: its pattern and its 16-bit field.
struct TNumberSwitch {
  const char* Pattern;
  uint16_t TConfig::*Field;
};

const TNumberSwitch NumberSwitches[] = {
    {"/port=%d", &TConfig::Port},       {"/timeout=%d", &TConfig::Timeout}, {"/length=%d", &TConfig::Length},
    {"/threads=%d", &TConfig::Threads}, {"/log=%d", &TConfig::Log},
};

bool ScanTextSwitch(const std::string& Entry, const char* Pattern, std::string& Field) {
  std::string Value;
  if (ScanText(Entry, Pattern, {&Value}) != 1) return false;
  Field = Value;
  return true;
}

// "/config=": the whole rest of the entry, spaces included, so that a
// Windows path with spaces needs no more than the quotes of its entry.
void TakeConfigFile(const std::string& Entry, std::string& Field) {
  const std::string_view Switch = "/config=";
  if (Entry.size() > Switch.size() && Entry.compare(0, Switch.size(), Switch) == 0) {
    Field = Entry.substr(Switch.size());
  }
}

void ApplyEntry(const std::string& Entry, TConfig& Settings) {
  ScanTextSwitch(Entry, "/server=%s", Settings.Server);
  ScanTextSwitch(Entry, "/pipe=%s", Settings.Pipe);
  for (const TNumberSwitch& Switch : NumberSwitches) {
    int32_t Value = 0;
    // The 16-bit field takes the value modulo 65536.
    if (ScanText(Entry, Switch.Pattern, {&Value}) == 1) Settings.*Switch.Field = static_cast<uint16_t>(Value);
  }
  // A key given here replaces one read from a key file.
  if (ScanTextSwitch(Entry, "/commandkey=%s", Settings.CommandKey)) Settings.CommandKeyFile.clear();
  TakeConfigFile(Entry, Settings.ConfigFile);
}

void KeepInRange(uint16_t& Field, uint16_t Low, uint16_t High, uint16_t Default) {
  if (Field < Low || Field > High) Field = Default;
}

}  // namespace

void ReadCommandLine(int Argc, const char* const* Argv, TConfig& Settings, TArgs& Args) {
  Args.ArgCount = static_cast<uint16_t>(std::clamp(Argc, 0, MaxArgs));
  for (int Index = 0; Index < Args.ArgCount; ++Index) {
    Args.ArgTexts[Index] = Argv[Index] ? Argv[Index] : "";
    Args.ArgPointers[Index] = Args.ArgTexts[Index].data();
  }
  ApplySwitches(Args, Settings);
}

void ApplySwitches(const TArgs& Args, TConfig& Settings) {
  for (int Index = 0; Index < Args.ArgCount; ++Index) ApplyEntry(Args.ArgTexts[Index], Settings);
  KeepInRange(Settings.Port, 1, 65535, 979);
  KeepInRange(Settings.Timeout, 1, 60, 5);
  KeepInRange(Settings.Length, 1, 8192, 8192);
  KeepInRange(Settings.Threads, 1, 32, 5);
  KeepInRange(Settings.Log, 0, 1, 0);
}
