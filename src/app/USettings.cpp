// USettings: see USettings.h.
#include "app/USettings.h"

#include <algorithm>
#include <utility>

#include "app/USettingsMembers.h"
#include "app/USettingsValue.h"
#include "crypto/UKeyFile.h"
#include "json/UJson.h"
#include "net/ULogSafe.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"

namespace {

using TMembers = std::vector<std::pair<const TSettingsMember*, TJsonPtr>>;

// The file's object, its text decoded from UTF-8.
TJsonPtr ReadObject(const std::string& Path) {
  std::string Bytes;
  if (!ReadWholeFile(Path, Bytes)) throw ESettings("cannot be read");
  std::string_view Text = Bytes;
  if (Text.substr(0, 3) == "\xEF\xBB\xBF") Text.remove_prefix(3);
  // A key or a name garbled by a wrong encoding must not pass unnoticed.
  std::u16string Wide = Utf8ToUtf16(Text);
  if (Wide.find(u'\uFFFD') != std::u16string::npos) throw ESettings("is not UTF-8 text");
  TJsonPtr Object = ParseJson(Wide);
  if (Kind(Object) != TJsonKind::Object) throw ESettings("is not one JSON object");
  return Object;
}

const TSettingsMember* FindMember(std::u16string_view Name) {
  const auto& Members = SettingsMembers();
  auto Found = std::find_if(Members.begin(), Members.end(), [&](const TSettingsMember& M) { return M.Name == Name; });
  return Found == Members.end() ? nullptr : &*Found;
}

// A member's name and a problem, as one log line: the name of an unknown
// member may hold any character.
std::string Named(std::u16string_view Name, const std::string& Problem) {
  return LogSafeText(Utf16ToAnsi(Name)) + ": " + Problem;
}

// The members of Object, each checked to be in the table, and no two that
// exclude each other.
TMembers KnownMembers(const TJsonPtr& Object) {
  TMembers Members;
  ForEachMember(Object, [&](std::u16string_view Key, const TJsonPtr& Value) {
    const TSettingsMember* Member = FindMember(Key);
    if (!Member) throw ESettings(Named(Key, "unknown member"));
    Members.emplace_back(Member, Value);
  });
  auto Has = [&](std::u16string_view Name) {
    return std::any_of(Members.begin(), Members.end(), [&](const auto& Member) { return Member.first->Name == Name; });
  };
  for (const auto& [First, Second] : ExclusiveSettingsMembers()) {
    if (Has(First) && Has(Second)) throw ESettings(Named(First, "not together with " + Utf16ToAnsi(Second)));
  }
  return Members;
}

}  // namespace

std::vector<std::u16string_view> ReadSettingsFile(const std::string& Path, TConfig& Settings) {
  std::vector<std::u16string_view> Set;
  for (const auto& [Member, Value] : KnownMembers(ReadObject(Path))) {
    try {
      Member->Read(Value, Settings);
    } catch (const ESettingsValue& Problem) {
      throw ESettings(Named(Member->Name, Problem.what()));
    } catch (const EKeyFile& Problem) {
      throw ESettings(Named(Member->Name, Problem.what()));
    }
    Set.push_back(Member->Name);
  }
  return Set;
}

std::vector<std::string> SettingsBannerLines(const TConfig& Settings, const std::vector<std::u16string_view>& Set) {
  std::vector<std::string> Lines;
  for (const TSettingsMember& Member : SettingsMembers()) {
    if (Member.Banner && std::find(Set.begin(), Set.end(), Member.Name) != Set.end()) {
      Lines.push_back("- " + Member.Banner(Settings) + ",");
    }
  }
  return Lines;
}
