#include "queries/UWeakKeys.h"

#include <string>

#include "common/UCommon.h"
#include "common/ULog.h"
#include "queries/UCommandKeys.h"

namespace {

void WarnIfWeak(const std::string& Id, const std::string& AnsiKey) {
  if (AnsiKey.size() >= StrongKeyBytes) return;
  WriteLog("WARNING: command key " + Id + " is shorter than " + std::to_string(StrongKeyBytes) + " bytes", 2);
}

}  // namespace

void WarnOfWeakCommandKeys() {
  if (Config.ConfigFile.empty()) return;
  if (auto Default = FindCommandKey("")) WarnIfWeak("default", *Default);
  for (const auto& [Id, Key] : Config.CommandKeys) WarnIfWeak(Id, Key);
}
