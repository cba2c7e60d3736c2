// UHelp: see UHelp.h.
#include "app/UHelp.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "app/USettingsMembers.h"
#include "app/UVersion.h"
#include "platform/CodePage.h"

namespace {

const char* const Switches =
    "Usage: vorlane [/SWITCH=VALUE ...]    (the console build: vorlane-console)\n"
    "\n"
    "Switches (entries that match none are ignored; only the first nine arguments are read):\n"
    "  /server=NAME      machine of the telemetry server (.)\n"
    "  /pipe=NAME        pipe of the telemetry server (TMS)\n"
    "  /port=N           TCP port that clients connect to, 1 to 65535 (979)\n"
    "  /timeout=N        seconds a client may take to send its query or read the answer, 1 to 60 (5)\n"
    "  /length=N         longest query in bytes, 1 to 8192 (8192)\n"
    "  /threads=N        clients served at once, 1 to 32 (5)\n"
    "  /log=N            1: also write the log to files in the folder Logs (0)\n"
    "  /commandkey=KEY   the key of the control commands (none: commands are refused)\n"
    "  /config=PATH      the settings file; the whole rest of the entry is its path\n"
    "  --help, /?        this text\n"
    "  --version         the version\n"
    "\n"
    "Settings file: one JSON object in UTF-8; comments and trailing commas are allowed,\n"
    "every member is optional, a switch on the command line wins over the file:\n";

const char* const Documents =
    "\n"
    "The operations guide is docs/operations.md (in the sources; installed with the\n"
    "documentation); the query protocol is docs/protocol.md.\n";

void PrintHelp() {
  std::string Text = Switches;
  for (const TSettingsMember& Member : SettingsMembers()) {
    std::string Name = Utf16ToAnsi(Member.Name);
    Text += "  " + Name + std::string(Name.size() < 18 ? 18 - Name.size() : 1, ' ') + Member.Help + "\n";
  }
  Text += Documents;
  std::fputs(Text.c_str(), stdout);
}

void PrintVersion() {
  std::fputs((std::string("Vorlane, version ") + GatewayVersion + "\n").c_str(), stdout);
  std::fputs((std::string("build ") + BuildVersion() + "\n").c_str(), stdout);
}

bool AnyArgument(int Argc, const char* const* Argv, std::initializer_list<std::string_view> Texts) {
  for (int Index = 1; Index < Argc; ++Index) {
    for (std::string_view Text : Texts) {
      if (Argv[Index] && Text == Argv[Index]) return true;
    }
  }
  return false;
}

}  // namespace

bool AnswerHelpOrVersion(int Argc, const char* const* Argv) {
  if (AnyArgument(Argc, Argv, {"--help", "/?"})) {
    PrintHelp();
  } else if (AnyArgument(Argc, Argv, {"--version"})) {
    PrintVersion();
  } else {
    return false;
  }
  std::fflush(stdout);
  return true;
}
