#include "queries/UCommandKeys.h"

#include <algorithm>

#include "common/UCommon.h"
#include "common/ULog.h"
#include "platform/CodePage.h"

namespace {

bool IsKeyIdCharacter(char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '.' ||
         C == '-';
}

void WarnIfWeak(const std::string& Id, const std::string& AnsiKey) {
  if (AnsiKey.size() >= StrongKeyBytes) return;
  WriteLog("WARNING: command key " + Id + " is shorter than " + std::to_string(StrongKeyBytes) + " bytes", 2);
}

}  // namespace

bool IsCommandKeyId(std::string_view Id) {
  return !Id.empty() && Id.size() <= 32 && std::all_of(Id.begin(), Id.end(), IsKeyIdCharacter);
}

bool CommandKeysConfigured() { return !Config.CommandKey.empty() || !Config.CommandKeys.empty(); }

std::optional<std::string> FindCommandKey(const std::string& KeyId) {
  // The switch's key is in the command line's encoding; the hash scheme
  // has always composed its ANSI bytes.
  if (KeyId.empty()) {
    if (Config.CommandKey.empty()) return std::nullopt;
    return LocaleToAnsi(Config.CommandKey);
  }
  auto Found = Config.CommandKeys.find(KeyId);
  if (Found == Config.CommandKeys.end()) return std::nullopt;
  return Found->second;
}

void WarnOfWeakCommandKeys() {
  if (Config.ConfigFile.empty()) return;
  if (auto Default = FindCommandKey("")) WarnIfWeak("default", *Default);
  for (const auto& [Id, Key] : Config.CommandKeys) WarnIfWeak(Id, Key);
}
