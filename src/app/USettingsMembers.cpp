// USettingsMembers: see USettingsMembers.h.
#include "app/USettingsMembers.h"

#include "app/USettingsValue.h"
#include "crypto/UKeyFile.h"
#include "platform/CodePage.h"

namespace {

// A text member in the form that the command line gives its switch.
std::string LocaleText(const TJsonPtr& Value) { return Utf16ToLocale(StringOf(Value)); }

// A numeric member of a switch, in the switch's range.
uint16_t Short(const TJsonPtr& Value, uint16_t Low, uint16_t High) {
  return static_cast<uint16_t>(IntegerIn(Value, Low, High));
}

// The key of the file, kept like the text of /commandkey: the command
// check hashes its ANSI form.
void ReadCommandKeyFile(const TJsonPtr& Value, TConfig& Settings) {
  Settings.CommandKeyFile = LocaleText(Value);
  Settings.CommandKey = Utf16ToLocale(AnsiToUtf16(ReadPrivateKeyFile(Settings.CommandKeyFile)));
}

std::string KeyBanner(const TConfig& Settings) {
  return Settings.CommandKeyFile.empty() ? "command key = set" : "command key = from file " + Settings.CommandKeyFile;
}

std::string CheckSecondsBanner(const TConfig& Settings) {
  return "check seconds = " + std::to_string(Settings.CheckSeconds);
}

std::string CharsetBanner(const TConfig& Settings) {
  return Settings.Charset == TCharset::Utf8 ? "charset = utf-8" : "charset = ansi";
}

std::string DecimalSeparatorBanner(const TConfig& Settings) {
  return Settings.DecimalSeparator == TDecimalSeparator::Point ? "decimal separator = point"
                                                               : "decimal separator = regional";
}

std::string ListenAddressBanner(const TConfig& Settings) { return "listen address = " + Settings.ListenAddress; }

std::string TrustedProxiesBanner(const TConfig& Settings) {
  std::string List;
  for (const std::string& Address : Settings.TrustedProxies) List += (List.empty() ? "" : ", ") + Address;
  return "trusted proxies = " + (List.empty() ? std::string("none") : List);
}

}  // namespace

const std::vector<TSettingsMember>& SettingsMembers() {
  using V = const TJsonPtr&;
  // The choices of charset and decimalSeparator are in the order of their enumerations.
  static const std::vector<TSettingsMember> Members = {
      {u"server", [](V Value, TConfig& S) { S.Server = LocaleText(Value); }, nullptr},
      {u"pipe", [](V Value, TConfig& S) { S.Pipe = LocaleText(Value); }, nullptr},
      {u"port", [](V Value, TConfig& S) { S.Port = Short(Value, 1, 65535); }, nullptr},
      {u"timeout", [](V Value, TConfig& S) { S.Timeout = Short(Value, 1, 60); }, nullptr},
      {u"length", [](V Value, TConfig& S) { S.Length = Short(Value, 1, 8192); }, nullptr},
      {u"threads", [](V Value, TConfig& S) { S.Threads = Short(Value, 1, 32); }, nullptr},
      {u"log", [](V Value, TConfig& S) { S.Log = Short(Value, 0, 1); }, nullptr},
      {u"commandKey", [](V Value, TConfig& S) { S.CommandKey = LocaleText(Value); }, KeyBanner},
      {u"commandKeyFile", ReadCommandKeyFile, KeyBanner},
      {u"checkSeconds",
       [](V Value, TConfig& S) { S.CheckSeconds = static_cast<uint32_t>(IntegerIn(Value, 5, 3600)); },
       CheckSecondsBanner},
      {u"charset", [](V Value, TConfig& S) { S.Charset = TCharset(ChoiceOf(Value, {u"ansi", u"utf-8"})); },
       CharsetBanner},
      {u"decimalSeparator",
       [](V Value, TConfig& S) { S.DecimalSeparator = TDecimalSeparator(ChoiceOf(Value, {u"regional", u"point"})); },
       DecimalSeparatorBanner},
      {u"listenAddress", [](V Value, TConfig& S) { S.ListenAddress = IPv4Of(Value); }, ListenAddressBanner},
      {u"trustedProxies", [](V Value, TConfig& S) { S.TrustedProxies = IPv4ListOf(Value); }, TrustedProxiesBanner},
  };
  return Members;
}

const std::vector<std::pair<std::u16string_view, std::u16string_view>>& ExclusiveSettingsMembers() {
  static const std::vector<std::pair<std::u16string_view, std::u16string_view>> Pairs = {
      {u"commandKey", u"commandKeyFile"},
  };
  return Pairs;
}
