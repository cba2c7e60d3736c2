// telvexd: the telemetry server simulator that the telvex library talks to.
//
//   telvexd [--pipe NAME] [--dataset FILE] [--admin PORT]
//
// Serves the dataset (default: datasets/demo.json beside the program, else
// in the installed data folder, else the project's sim/datasets/demo.json)
// on pipe NAME (default TMS), with the admin interface on loopback TCP port
// PORT when given. Prints "telvexd ready" once it accepts connections; a
// console interrupt ends it.
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "UAcceptor.h"
#include "UAdmin.h"
#include "UDataset.h"
#include "UPipeService.h"
#include "USimulator.h"
#include "platform/Console.h"
#include "platform/Process.h"
#include "protocol/UTvxTime.h"

namespace {

struct TOptions {
  std::string Pipe = "TMS";
  std::string Dataset;
  int AdminPort = 0;
};

std::mutex StopLock;
std::condition_variable StopSignal;
bool StopRequested = false;

void RequestStop() {
  std::lock_guard<std::mutex> Guard(StopLock);
  StopRequested = true;
  StopSignal.notify_all();
}

[[noreturn]] void Usage(const char* Problem) {
  std::cerr << "telvexd: " << Problem << "\nusage: telvexd [--pipe NAME] [--dataset FILE] [--admin PORT]\n";
  std::exit(2);
}

TOptions ReadOptions(int Count, char** Arguments) {
  TOptions Options;
  for (int I = 1; I < Count; ++I) {
    const std::string Name = Arguments[I];
    if (Name == "--help" || Name == "-h") Usage("telemetry server simulator");
    if (I + 1 >= Count) Usage(("no value after " + Name).c_str());
    const std::string Value = Arguments[++I];
    if (Name == "--pipe" && !Value.empty()) {
      Options.Pipe = Value;
    } else if (Name == "--dataset") {
      Options.Dataset = Value;
    } else if (Name == "--admin") {
      char* End = nullptr;
      const long Port = std::strtol(Value.c_str(), &End, 10);
      if (*End != '\0' || Port < 1 || Port > 65535) Usage("the admin port is 1 to 65535");
      Options.AdminPort = static_cast<int>(Port);
    } else {
      Usage(("unknown option " + Name).c_str());
    }
  }
  return Options;
}

// The demo dataset beside the program (the build tree, the Windows
// package), else in the data folder of an installation (the program in
// bin/, the datasets in share/vorlane/datasets/), else in the project's
// sources.
std::string DefaultDataset() {
  namespace fs = std::filesystem;
  const fs::path Folder = ProgramPath().parent_path();
  for (const fs::path& Candidate : {Folder / "datasets", Folder / TELVEXD_INSTALLED_DATASETS}) {
    std::error_code Error;
    if (fs::exists(Candidate / "demo.json", Error)) return (Candidate / "demo.json").lexically_normal().string();
  }
  return TELVEXD_SOURCE_DATASETS "/demo.json";
}

size_t CountRtus(const TModel& Model) {
  size_t Count = 0;
  for (const auto& Channel : Model.Channels) Count += Channel.second.Rtus.size();
  return Count;
}

// Adds the network's own events to the log as time passes.
void RunClock(TSimulator& Sim) {
  std::unique_lock<std::mutex> Wait(StopLock);
  while (!StopSignal.wait_for(Wait, std::chrono::milliseconds(200), [] { return StopRequested; })) {
    std::lock_guard<std::mutex> Guard(Sim.Lock);
    Sim.GenerateUntil(LocalNowMs());
  }
}

int Run(const TOptions& Options) {
  TSimulator Sim(LoadDataset(Options.Dataset));
  {
    std::lock_guard<std::mutex> Guard(Sim.Lock);
    const int64_t Now = LocalNowMs();
    Sim.GeneratedMs = Now - static_cast<int64_t>(Sim.Model.HistoryHours) * 3600000;
    Sim.GenerateUntil(Now);
  }
  std::string Error;
  auto PipeListener = TvxListenPipe(Options.Pipe, Error);
  if (!PipeListener) {
    std::cerr << "telvexd: cannot listen on pipe " << Options.Pipe << ": " << Error << "\n";
    return 1;
  }
  TAcceptor Pipe(
      std::move(PipeListener), [&Sim](TTvxStream& Stream) { ServePipeConnection(Sim, Stream); },
      [&Sim] { return MonotonicMs() >= Sim.RefuseUntilMs.load(); });
  std::unique_ptr<TAcceptor> Admin;
  if (Options.AdminPort != 0) {
    auto AdminListener = TvxListenLoopback(static_cast<uint16_t>(Options.AdminPort), Error);
    if (!AdminListener) {
      std::cerr << "telvexd: cannot listen on admin port " << Options.AdminPort << ": " << Error << "\n";
      return 1;
    }
    Admin = std::make_unique<TAcceptor>(std::move(AdminListener), [&Sim, &Pipe](TTvxStream& Stream) {
      ServeAdminConnection(Sim, Pipe, Stream);
    });
  }
  Pipe.Start();
  if (Admin) Admin->Start();
  std::thread Clock([&Sim] { RunClock(Sim); });
  {
    std::lock_guard<std::mutex> Guard(Sim.Lock);
    std::cout << "telvexd: dataset " << Options.Dataset << ", " << Sim.Model.Channels.size() << " channels, "
              << CountRtus(Sim.Model) << " RTUs, " << Sim.Log.Size() << " events in the log\n";
  }
  std::cout << "telvexd: pipe " << Options.Pipe;
  if (Options.AdminPort != 0) std::cout << ", admin port " << Options.AdminPort;
  std::cout << "\ntelvexd ready" << std::endl;
  Clock.join();  // until a stop is requested
  if (Admin) Admin->Stop();
  Pipe.Stop();
  std::cout << "telvexd stopped" << std::endl;
  return 0;
}

}  // namespace

int main(int Count, char** Arguments) {
  IgnoreBrokenPipes();
  TOptions Options = ReadOptions(Count, Arguments);
  if (Options.Dataset.empty()) Options.Dataset = DefaultDataset();
  try {
    InstallConsoleHandler(RequestStop);
    return Run(Options);
  } catch (const std::exception& Failure) {
    std::cerr << "telvexd: " << Failure.what() << std::endl;
    return 1;
  }
}
