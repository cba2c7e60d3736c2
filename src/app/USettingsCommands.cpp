// USettingsCommands: see USettingsCommands.h.
#include "app/USettingsCommands.h"

#include "app/USettingsValue.h"
#include "crypto/UKeyFile.h"
#include "platform/CodePage.h"
#include "queries/UCommandKeys.h"

namespace {

const char* const AuthNames[] = {"hash", "mac", "either"};

// A member of commandLockout, named in the refusal.
int64_t LockoutPart(const TJsonPtr& Value, const char* Name, int64_t Low, int64_t High) {
  try {
    return IntegerIn(Value, Low, High);
  } catch (const ESettingsValue& Problem) {
    throw ESettingsValue(std::string(Name) + ": " + Problem.what());
  }
}

}  // namespace

void ReadCommandAuth(const TJsonPtr& Value, TConfig& Settings) {
  // The choices are in the order of TCommandAuth.
  Settings.CommandAuth = TCommandAuth(ChoiceOf(Value, {u"hash", u"mac", u"either"}));
}

void ReadCommandKeys(const TJsonPtr& Value, TConfig& Settings) {
  if (Kind(Value) != TJsonKind::Object) throw ESettingsValue("must be an object of key ids and key files");
  Settings.CommandKeys.clear();
  ForEachMember(Value, [&Settings](std::u16string_view Id, const TJsonPtr& Path) {
    const std::string AnsiId = Utf16ToAnsi(Id);
    if (!IsCommandKeyId(AnsiId)) {
      throw ESettingsValue("key id \"" + AnsiId + "\" must be 1 to 32 characters of A-Z a-z 0-9 _ . -");
    }
    try {
      Settings.CommandKeys[AnsiId] = ReadPrivateKeyFile(Utf16ToLocale(StringOf(Path)));
    } catch (const ESettingsValue& Problem) {
      throw ESettingsValue(AnsiId + ": " + Problem.what());
    }
  });
}

void ReadCommandLockout(const TJsonPtr& Value, TConfig& Settings) {
  if (Kind(Value) != TJsonKind::Object) throw ESettingsValue("must be {\"failures\": N, \"seconds\": S}");
  TJsonPtr Failures = GetField(Value, u"failures");
  TJsonPtr Seconds = GetField(Value, u"seconds");
  if (!Failures || !Seconds || MemberCount(Value) != 2) {
    throw ESettingsValue("must be {\"failures\": N, \"seconds\": S} and nothing else");
  }
  Settings.CommandLockout.Failures = static_cast<uint16_t>(LockoutPart(Failures, "failures", 1, 1000));
  Settings.CommandLockout.Seconds = static_cast<uint32_t>(LockoutPart(Seconds, "seconds", 10, 86400));
}

std::string CommandAuthBanner(const TConfig& Settings) {
  return std::string("command auth = ") + AuthNames[static_cast<int>(Settings.CommandAuth)];
}

std::string CommandKeysBanner(const TConfig& Settings) {
  std::string Ids;
  for (const auto& [Id, Key] : Settings.CommandKeys) Ids += (Ids.empty() ? "" : ", ") + Id;
  return "command keys = " + (Ids.empty() ? std::string("none") : Ids);
}

std::string CommandLockoutBanner(const TConfig& Settings) {
  return "command lockout = " + std::to_string(Settings.CommandLockout.Failures) + " failures in " +
         std::to_string(Settings.CommandLockout.Seconds) + " seconds";
}
