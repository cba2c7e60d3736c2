// UStartup: see UStartup.h.
#include "app/UStartup.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/UConfig.h"
#include "app/UHelp.h"
#include "app/UHost.h"
#include "app/UServe.h"
#include "app/USettings.h"
#include "app/UVariant.h"
#include "app/UVersion.h"
#include "common/UCommon.h"
#include "common/ULog.h"
#include "platform/Console.h"
#include "platform/Sockets.h"
#include "telemetry/UServer.h"

namespace {

const char* const Rule = "====================";

// Every console control event asks for a stop; the supervision loop sees it.
void OnConsoleControl() { ShutdownRequested = true; }

void InstallControlHandler() {
  try {
    InstallConsoleHandler(OnConsoleControl);
  } catch (const std::exception& Error) {
    // No log exists yet; without the handler the console ends the process itself.
    std::fprintf(stderr, "Cannot install the console control handler: %s\n", Error.what());
  }
}

void WriteBanner(const std::vector<std::u16string_view>& FileSet) {
  WriteLog("Starting application...", 0);
  WriteLog(std::string("Vorlane, version ") + GatewayVersion, 0);
  WriteLog(Rule, 0);
  WriteLog("Settings:", 0);
  WriteLog("- server = " + Config.Server + "\\" + Config.Pipe + ",", 0);
  WriteLog("- port = " + std::to_string(Config.Port) + ",", 0);
  WriteLog("- timeout = " + std::to_string(Config.Timeout) + ",", 0);
  WriteLog("- max_query = " + std::to_string(Config.Length) + ",", 0);
  WriteLog("- max_clients = " + std::to_string(Config.Threads) + ",", 0);
  WriteLog(Config.Log == 1 ? "- writing log to file = " + LogFileName() + "." : std::string("- not writing log."), 0);
  for (const std::string& Line : SettingsBannerLines(Config, FileSet)) WriteLog(Line, 0);
  WriteLog("", 0);
  WriteLog(Rule, 0);
  WriteLog("Attempting to connect to server...", 0);
}

void CheckEvents() {
  CheckEventsAvailable();
  if (EventsAvailable)
    WriteLog("Events are available", 0);
  else
    WriteLog("Events are NOT available", 2);
  WriteLog("", 0);
  WriteLog(Rule, 0);
  WriteLog("Checking sockets avaliability...", 0);
}

// The early end of a failed start: nothing is closed, the process just ends.
int EndEarly() {
  PressEnterToClose();
  return 1;
}

// Config from the settings file that the command line names, with the
// switches over it, and the members that the file set. When the file is
// refused, Config stays as the switches alone made it and the refusal is
// given back.
std::optional<std::string> ReadSettings(const TArgs& Args, std::vector<std::u16string_view>& FileSet) {
  if (Config.ConfigFile.empty()) return std::nullopt;
  TConfig Settings;
  try {
    FileSet = ReadSettingsFile(Config.ConfigFile, Settings);
  } catch (const ESettings& Refusal) {
    return "ERROR: settings file " + Config.ConfigFile + ": " + Refusal.what();
  }
  ApplySwitches(Args, Settings);
  Config = Settings;
  return std::nullopt;
}

// From the host registration to serving; the exit status.
int Connect(TArgs& Args) {
  RegisterTrace();
  THostEvents Events;
  if (!RegisterProcess(Args, Events)) return EndEarly();
  WriteLog("Vorlane task started", 2);
  if (!ConnectServer()) {
    WriteLog("ERROR: Cannot connect to server " + Config.Server, 3);
    return EndEarly();
  }
  WriteLog("Server connection successful.", 0);
  CheckEvents();
  if (!StartSockets()) {
    WriteLog("ERROR: failed to use Windows Sockets", 3);
    return EndEarly();
  }
  return Serve(Events.Stop);
}

}  // namespace

int RunGateway(int Argc, const char* const* Argv) {
  if (AnswerHelpOrVersion(Argc, Argv)) return 0;
  InstallControlHandler();
  // The kept entries are handed to the process monitor and stay valid
  // until the process ends.
  static TArgs Args;
  ReadCommandLine(Argc, Argv, Config, Args);
  std::vector<std::u16string_view> FileSet;
  std::optional<std::string> Refusal = ReadSettings(Args, FileSet);
  try {
    StartLog();
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "Cannot create the log file: %s\n", Error.what());
    return 1;
  }
  SetConsoleWindowTitle("Vorlane");
  if (Refusal) {
    WriteLog(*Refusal, 3);
    return EndEarly();
  }
  WriteBanner(FileSet);
  return Connect(Args);
}
