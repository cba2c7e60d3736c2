// telvex-bench: call latency (median and 99th percentile) and throughput of
// the telvex library over its transport, for a small call (tvxStatus) and
// for lists of 1000 points (tvxStatusByList, tvxAnalogByList).
//
//   telvex-bench [--pipe NAME] [--calls N]
//
// Without --pipe the simulator of telvexd serves the demo dataset inside
// this process, on a pipe of its own; with --pipe a running telvexd is used.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "UAcceptor.h"
#include "UDataset.h"
#include "UPipeService.h"
#include "USimulator.h"
#include "platform/Process.h"
#include "protocol/UTvxTime.h"
#include "telvex.h"

namespace {

using TClock = std::chrono::steady_clock;

void Measure(const char* Name, int Calls, const std::function<bool()>& Call) {
  std::vector<double> Micros;
  Micros.reserve(static_cast<size_t>(Calls));
  int Failed = 0;
  const auto Start = TClock::now();
  for (int I = 0; I < Calls; ++I) {
    const auto Before = TClock::now();
    if (!Call()) ++Failed;
    Micros.push_back(std::chrono::duration<double, std::micro>(TClock::now() - Before).count());
  }
  const double Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
  std::sort(Micros.begin(), Micros.end());
  std::printf("%-34s calls %6d  median %8.1f us  p99 %8.1f us  %9.0f calls/s%s\n", Name, Calls,
              Micros[Micros.size() / 2], Micros[Micros.size() * 99 / 100], Calls / Seconds,
              Failed ? "  (some calls failed)" : "");
}

// The simulator of telvexd with the demo dataset, on a pipe of its own.
struct TLocalServer {
  std::unique_ptr<TSimulator> Sim;
  std::unique_ptr<TAcceptor> Acceptor;

  bool Start(const std::string& Pipe) {
    std::ifstream File(TELVEX_BENCH_DATASET, std::ios::binary);
    const std::string Text((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
    Sim = std::make_unique<TSimulator>(ParseDataset(Text));
    {
      std::lock_guard<std::mutex> Guard(Sim->Lock);
      const int64_t Now = LocalNowMs();
      Sim->GeneratedMs = Now - 3600000;
      Sim->GenerateUntil(Now);
    }
    std::string Error;
    auto Listener = TvxListenPipe(Pipe, Error);
    if (!Listener) {
      std::fprintf(stderr, "telvex-bench: %s\n", Error.c_str());
      return false;
    }
    TSimulator& S = *Sim;
    Acceptor = std::make_unique<TAcceptor>(std::move(Listener), [&S](TTvxStream& Stream) { ServePipeConnection(S, Stream); });
    Acceptor->Start();
    return true;
  }
};

}  // namespace

int main(int Count, char** Arguments) {
  IgnoreBrokenPipes();
  std::string Pipe;
  int Calls = 20000;
  for (int I = 1; I + 1 < Count; I += 2) {
    const std::string Name = Arguments[I];
    if (Name == "--pipe") Pipe = Arguments[I + 1];
    if (Name == "--calls") Calls = std::max(100, std::atoi(Arguments[I + 1]));
  }
  TLocalServer Local;
  if (Pipe.empty()) {
    Pipe = "telvex-bench-" + std::to_string(TClock::now().time_since_epoch().count() % 1000000);
    try {
      if (!Local.Start(Pipe)) return 1;
    } catch (const std::exception& Error) {
      std::fprintf(stderr, "telvex-bench: %s\n", Error.what());
      return 1;
    }
  }
  const int32_t Handle = tvxConnect(".", Pipe.c_str(), 0, 0, 0);
  if (Handle <= 0) {
    std::fprintf(stderr, "telvex-bench: no connection on pipe %s\n", Pipe.c_str());
    return 1;
  }
  std::vector<TTvxAddress> Status(1000), Analog(1000);
  for (uint16_t I = 0; I < 1000; ++I) {
    Status[I] = {2, 1, static_cast<uint16_t>(I % 600 + 1)};
    Analog[I] = {2, 1, static_cast<uint16_t>(I % 40 + 1)};
  }
  std::vector<TStatusReading> StatusOut(1000);
  std::vector<TAnalogReading> AnalogOut(1000);
  std::printf("telvex-bench on pipe %s\n", Pipe.c_str());
  Measure("tvxStatus (one point)", Calls, [&] { return tvxStatus(Handle, 2, 1, 1) >= 0; });
  Measure("tvxStatusByList (1000 points)", Calls / 10,
          [&] { return tvxStatusByList(Handle, 1000, Status.data(), StatusOut.data()) == 1; });
  Measure("tvxAnalogByList (1000 points)", Calls / 10,
          [&] { return tvxAnalogByList(Handle, 1000, Analog.data(), AnalogOut.data(), 0, 0) == 1; });
  tvxDisconnect(Handle);
  if (Local.Acceptor) Local.Acceptor->Stop();
  return 0;
}
