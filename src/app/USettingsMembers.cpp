// USettingsMembers: see USettingsMembers.h.
#include "app/USettingsMembers.h"

#include "app/USettingsCommands.h"
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

void ReadCheckSeconds(const TJsonPtr& Value, TConfig& Settings) {
  Settings.CheckSeconds = static_cast<uint32_t>(IntegerIn(Value, 5, 3600));
}

// The choices are in the order of their enumerations.
void ReadCharset(const TJsonPtr& Value, TConfig& Settings) {
  Settings.Charset = TCharset(ChoiceOf(Value, {u"ansi", u"utf-8"}));
}

void ReadDecimalSeparator(const TJsonPtr& Value, TConfig& Settings) {
  Settings.DecimalSeparator = TDecimalSeparator(ChoiceOf(Value, {u"regional", u"point"}));
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
  static const std::vector<TSettingsMember> Members = {
      {u"server", [](V Value, TConfig& S) { S.Server = LocaleText(Value); }, nullptr, "text: as /server"},
      {u"pipe", [](V Value, TConfig& S) { S.Pipe = LocaleText(Value); }, nullptr, "text: as /pipe"},
      {u"port", [](V Value, TConfig& S) { S.Port = Short(Value, 1, 65535); }, nullptr, "1 to 65535: as /port"},
      {u"timeout", [](V Value, TConfig& S) { S.Timeout = Short(Value, 1, 60); }, nullptr, "1 to 60: as /timeout"},
      {u"length", [](V Value, TConfig& S) { S.Length = Short(Value, 1, 8192); }, nullptr, "1 to 8192: as /length"},
      {u"threads", [](V Value, TConfig& S) { S.Threads = Short(Value, 1, 32); }, nullptr, "1 to 32: as /threads"},
      {u"log", [](V Value, TConfig& S) { S.Log = Short(Value, 0, 1); }, nullptr, "0 or 1: as /log"},
      {u"commandKey", [](V Value, TConfig& S) { S.CommandKey = LocaleText(Value); }, KeyBanner,
       "text: the command key, as /commandkey"},
      {u"commandKeyFile", ReadCommandKeyFile, KeyBanner,
       "path: a file whose first line is the command key; others may not read it"},
      {u"checkSeconds", ReadCheckSeconds, CheckSecondsBanner,
       "5 to 3600: seconds between two checks of the server connection and the log (120)"},
      {u"charset", ReadCharset, CharsetBanner,
       "\"ansi\" (the default) or \"utf-8\": the code page of queries and answers"},
      {u"decimalSeparator", ReadDecimalSeparator, DecimalSeparatorBanner,
       "\"regional\" (the default) or \"point\": the separator in the number texts of answers"},
      {u"commandAuth", ReadCommandAuth, CommandAuthBanner,
       "\"hash\" (the default), \"mac\" or \"either\": the proofs a command may carry"},
      {u"commandKeys", ReadCommandKeys, CommandKeysBanner,
       "object: key id -> path of a key file, the named keys of MAC-signed commands"},
      {u"commandLockout", ReadCommandLockout, CommandLockoutBanner,
       "{\"failures\": 1 to 1000, \"seconds\": 10 to 86400}: commands refused after failures"},
      {u"listenAddress", [](V Value, TConfig& S) { S.ListenAddress = IPv4Of(Value); }, ListenAddressBanner,
       "IPv4 address: the one local address the port is opened on (\"0.0.0.0\": all)"},
      {u"trustedProxies", [](V Value, TConfig& S) { S.TrustedProxies = IPv4ListOf(Value); }, TrustedProxiesBanner,
       "array of IPv4 addresses: proxies whose connections name their client in a PROXY header"},
  };
  return Members;
}

const std::vector<std::pair<std::u16string_view, std::u16string_view>>& ExclusiveSettingsMembers() {
  static const std::vector<std::pair<std::u16string_view, std::u16string_view>> Pairs = {
      {u"commandKey", u"commandKeyFile"},
  };
  return Pairs;
}
