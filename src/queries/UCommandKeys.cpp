#include "queries/UCommandKeys.h"

#include <algorithm>

#include "common/UCommon.h"
#include "platform/CodePage.h"

namespace {

bool IsKeyIdCharacter(char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '.' ||
         C == '-';
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
