#include "QOptions.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace {

template <class T>
bool ParseNumber(const std::string& Text, T& Value) {
  const char* End = Text.data() + Text.size();
  auto [Stop, Error] = std::from_chars(Text.data(), End, Value);
  return !Text.empty() && Error == std::errc() && Stop == End;
}

uint16_t PortOf(const std::string& Text) {
  int Value = 0;
  if (!ParseNumber(Text, Value) || Value < 1 || Value > 65535) throw EUsage("--port needs a number from 1 to 65535");
  return static_cast<uint16_t>(Value);
}

double SecondsOf(const std::string& Name, const std::string& Text) {
  double Value = 0;
  if (!ParseNumber(Text, Value) || !std::isfinite(Value) || Value <= 0 || Value > 86400) {
    throw EUsage(Name + " needs a number of seconds above 0");
  }
  return Value;
}

int64_t PositionOf(const std::string& Text) {
  int64_t Value = 0;
  if (!ParseNumber(Text, Value)) throw EUsage("--from needs an event number");
  return Value;
}

bool Utf8Of(const std::string& Text) {
  if (Text != "ansi" && Text != "utf-8") throw EUsage("--charset is ansi or utf-8");
  return Text == "utf-8";
}

TSignAuth AuthOf(const std::string& Text) {
  static const std::map<std::string, TSignAuth> Names = {
      {"hash", TSignAuth::Hash}, {"mac", TSignAuth::Mac}, {"both", TSignAuth::Both}};
  auto Found = Names.find(Text);
  if (Found == Names.end()) throw EUsage("--auth needs hash, mac or both");
  return Found->second;
}

using TSetter = std::function<void(TOptions&, const std::string&)>;

// Options that take a value.
const std::map<std::string, TSetter>& ValueOptions() {
  static const std::map<std::string, TSetter> Table = {
      {"--host", [](TOptions& O, const std::string& V) { O.Host = V; }},
      {"--port", [](TOptions& O, const std::string& V) { O.Port = PortOf(V); }},
      {"--timeout", [](TOptions& O, const std::string& V) { O.Timeout = SecondsOf("--timeout", V); }},
      {"--id", [](TOptions& O, const std::string& V) { O.Id = V; }},
      {"--key-file", [](TOptions& O, const std::string& V) { O.KeyFile = V; }},
      {"--charset", [](TOptions& O, const std::string& V) { O.Utf8 = Utf8Of(V); }},
      {"--key-id", [](TOptions& O, const std::string& V) { O.KeyId = V; }},
      {"--auth", [](TOptions& O, const std::string& V) { O.Auth = AuthOf(V); }},
      {"--query", [](TOptions& O, const std::string& V) { O.QueryText = V; }},
      {"--interval", [](TOptions& O, const std::string& V) { O.Interval = SecondsOf("--interval", V); }},
      {"--from", [](TOptions& O, const std::string& V) { O.From = PositionOf(V); }},
      {"--ca", [](TOptions& O, const std::string& V) { O.Tls.CaFile = V; }},
      {"--cert", [](TOptions& O, const std::string& V) { O.Tls.CertFile = V; }},
      {"--key", [](TOptions& O, const std::string& V) { O.Tls.KeyFile = V; }},
      {"--servername", [](TOptions& O, const std::string& V) { O.Tls.ServerName = V; }},
  };
  return Table;
}

const std::map<std::string, TOutputForm>& FormOptions() {
  static const std::map<std::string, TOutputForm> Table = {
      {"--json", TOutputForm::Json}, {"--raw", TOutputForm::Raw}, {"--csv", TOutputForm::Csv}};
  return Table;
}

std::string Lower(std::string Text) {
  for (char& C : Text) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return Text;
}

// An option (with "--name value" or "--name=value"); false when Argument is
// not one.
bool TakeOption(TOptions& Options, const std::vector<std::string>& Arguments, std::size_t& Index, bool& FormSet) {
  const std::string& Argument = Arguments[Index];
  if (Argument.rfind("--", 0) != 0) return false;
  auto Equals = Argument.find('=');
  std::string Name = Argument.substr(0, Equals);
  if (Argument == "--tls") {
    Options.Tls.Enabled = true;
    return true;
  }
  if (auto Form = FormOptions().find(Name); Form != FormOptions().end() && Equals == std::string::npos) {
    if (FormSet && Options.Form != Form->second) throw EUsage("only one of --raw, --json and --csv");
    Options.Form = Form->second;
    FormSet = true;
    return true;
  }
  auto Setter = ValueOptions().find(Name);
  if (Setter == ValueOptions().end()) throw EUsage("unknown option " + Name);
  if (Equals != std::string::npos) {
    Setter->second(Options, Argument.substr(Equals + 1));
  } else if (++Index < Arguments.size()) {
    Setter->second(Options, Arguments[Index]);
  } else {
    throw EUsage(Name + " needs a value");
  }
  return true;
}

void TakeMember(TOptions& Options, const std::string& Argument) {
  auto Equals = Argument.find('=');
  if (Equals == std::string::npos || Equals == 0) throw EUsage("members are written NAME=VALUE, not " + Argument);
  Options.Members.emplace_back(Argument.substr(0, Equals), Argument.substr(Equals + 1));
}

void CheckCombination(const TOptions& Options) {
  if (Options.QueryText && !Options.Type.empty()) throw EUsage("--query takes no query type");
  if (!Options.QueryText && Options.Type.empty()) throw EUsage("a query type is needed");
  bool Follow = Options.Type == "follow";
  if (Follow && !Options.Members.empty()) throw EUsage("follow takes no members");
  if (Options.QueryText && !Options.Members.empty()) throw EUsage("--query takes no members");
  if (!Follow && (Options.From || Options.Interval)) throw EUsage("--from and --interval are for follow");
  if (Options.KeyId && Options.Auth == TSignAuth::Hash) throw EUsage("--key-id names the key of a MAC, not of a hash");
}

void CheckTls(const TTlsOptions& Tls) {
  const bool Named = !Tls.CaFile.empty() || !Tls.CertFile.empty() || !Tls.KeyFile.empty() || !Tls.ServerName.empty();
  if (Named && !Tls.Enabled) throw EUsage("--ca, --cert, --key and --servername are for --tls");
  if (Tls.CertFile.empty() != Tls.KeyFile.empty()) throw EUsage("--cert and --key go together");
  if (Tls.Enabled && !TlsAvailable()) {
    throw EUsage("--tls is not available in this build: put stunnel in client mode in front (docs/client.md)");
  }
}

}  // namespace

TOptions ParseOptions(const std::vector<std::string>& Arguments) {
  TOptions Options;
  bool FormSet = false;
  bool OptionsEnded = false;
  for (std::size_t Index = 0; Index < Arguments.size(); ++Index) {
    const std::string& Argument = Arguments[Index];
    if (!OptionsEnded && Argument == "--") {
      OptionsEnded = true;
    } else if (!OptionsEnded && TakeOption(Options, Arguments, Index, FormSet)) {
      continue;
    } else if (Options.Type.empty() && !Options.QueryText) {
      Options.Type = Lower(Argument);
    } else {
      TakeMember(Options, Argument);
    }
  }
  CheckCombination(Options);
  CheckTls(Options.Tls);
  return Options;
}

const char* UsageText() {
  return "usage: vorlane-query [--host H] [--port P] [--timeout S] [--id ID] [--key-file F]\n"
         "                     [--charset ansi|utf-8] [--key-id ID] [--auth hash|mac|both]\n"
         "                     [--tls [--ca F] [--cert F --key F] [--servername N]]\n"
         "                     [--raw | --json | --csv] TYPE [NAME=VALUE ...]\n"
         "       vorlane-query [options] --query 'TEXT'\n"
         "       vorlane-query [options] follow [--interval S] [--from N]\n"
         "TYPE is one of test, instant, info, retro, tms-ch, tms-rtu, tms-ts, tms-ti, tms-tii,\n"
         "events-latest, events-current, events-archive, set-ts, switch-ts, ack-ts, set-ti.\n"
         "Commands are signed with the key of --key-file F or of VORLANE_COMMAND_KEY: with a hash\n"
         "and a MAC over the whole command (--auth both, the default), or with one of them; --key-id\n"
         "names the gateway's key of that id for the MAC.\n"
         "--tls reaches the gateway through its TLS terminator: --ca F trusts F instead of the\n"
         "system's certificates, --cert F --key F is the client certificate of mutual TLS,\n"
         "--servername N the name that the terminator's certificate carries (default: the host).\n"
         "Exit status: 0 answer, 1 error answer, 2 bad usage, 3 gateway not reached or no answer.\n";
}
