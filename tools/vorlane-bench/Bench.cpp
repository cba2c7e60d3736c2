// vorlane-bench: opens one-query connections to the gateway at a chosen
// concurrency, a fixed number in all, and prints queries per second and
// the median and 99th percentile latency, for each query asked for in
// turn. With --baseline it then runs the same load against two minimal
// servers inside the tool: one answering inline on as many threads as
// clients (the machine's own limit for this connection pattern) and one
// starting a thread per connection (the floor of the gateway's design).
// Figures only: nothing is asserted.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "BenchBaseline.h"
#include "BenchLoad.h"
#include "BenchQueries.h"
#include "platform/Process.h"
#include "platform/Sockets.h"

namespace {

const char Usage[] =
    "usage: vorlane-bench [--address A] [--port P] [--concurrency N] [--count N]\n"
    "                     [--query TEXT]... [--demo NAME]... [--baseline]\n"
    "  loopback address 127.0.0.1, port 979, concurrency 1, count 2000 and\n"
    "  the query {\"query\":\"test\"} unless given; each --query and --demo\n"
    "  adds a query, run in turn. --demo names a query for telvexd's demo\n"
    "  dataset: test, instant (1000 status points), retro (5 points of 1000\n"
    "  samples), tms-ts (a page of 255 points)\n";

// Same order of magnitude as the gateway's own answer to "test".
const char BaselineAnswer[] = "{\"serverTime\":\"01.01.2026 00:00:00.000\",\"ok\":\"1\"}";

struct TOptions {
  TLoadSettings Load;
  // Label and text of each query, in the order given.
  std::vector<std::pair<std::string, std::string>> Queries;
  bool Baseline = false;
};

int Number(const char* Text, int Low, int High) {
  char* End = nullptr;
  long Value = std::strtol(Text, &End, 10);
  if (*Text == '\0' || *End != '\0' || Value < Low || Value > High) throw std::invalid_argument(Text);
  return static_cast<int>(Value);
}

TOptions ParseOptions(int Count, char** Args) {
  TOptions Options;
  for (int Index = 1; Index < Count; ++Index) {
    std::string Name = Args[Index];
    if (Name == "--baseline") {
      Options.Baseline = true;
      continue;
    }
    if (Index + 1 >= Count) throw std::invalid_argument(Name);
    const char* Value = Args[++Index];
    if (Name == "--address") Options.Load.Address = Value;
    else if (Name == "--port") Options.Load.Port = static_cast<uint16_t>(Number(Value, 1, 65535));
    else if (Name == "--concurrency") Options.Load.Concurrency = Number(Value, 1, 1024);
    else if (Name == "--count") Options.Load.Count = Number(Value, 1, 10000000);
    else if (Name == "--query") Options.Queries.emplace_back("query", Value);
    else if (Name == "--demo") Options.Queries.emplace_back(Value, DemoQuery(Value));
    else throw std::invalid_argument(Name);
  }
  if (Options.Queries.empty()) Options.Queries.emplace_back("test", Options.Load.Query);
  return Options;
}

double Percentile(const std::vector<double>& Sorted, double Share) {
  if (Sorted.empty()) return 0;
  auto Index = static_cast<std::size_t>(Share * static_cast<double>(Sorted.size() - 1) + 0.5);
  return Sorted[Index];
}

void Print(const std::string& Target, const TLoadSettings& Load, const TLoadResult& Result) {
  double PerSecond = Result.Seconds > 0 ? static_cast<double>(Result.Latencies.size()) / Result.Seconds : 0;
  std::printf("%-18s concurrency %4d  queries %7d  errors %5d  %9.0f q/s  median %8.3f ms  p99 %8.3f ms\n",
              Target.c_str(), Load.Concurrency, Load.Count, Result.Errors, PerSecond, Percentile(Result.Latencies, 0.5),
              Percentile(Result.Latencies, 0.99));
  std::fflush(stdout);
}

// The load of the gateway, sent to a baseline server of the tool instead.
void RunBaseline(const std::string& Label, TLoadSettings Load, uint16_t Port) {
  Load.Address = "127.0.0.1";
  Load.Port = Port;
  Print(Label, Load, RunLoad(Load));
}

}  // namespace

int main(int Count, char** Args) {
  IgnoreBrokenPipes();
  TOptions Options;
  try {
    Options = ParseOptions(Count, Args);
  } catch (const std::exception&) {
    std::fputs(Usage, stderr);
    return 2;
  }
  if (!StartSockets()) {
    std::fputs("vorlane-bench: sockets cannot start\n", stderr);
    return 1;
  }
  try {
    for (const auto& [Label, Query] : Options.Queries) {
      TLoadSettings Load = Options.Load;
      Load.Query = Query;
      Print("gateway " + Label, Load, RunLoad(Load));
    }
    if (Options.Baseline) {
      {
        TBaselineServer Server(Options.Load.Concurrency, BaselineAnswer);
        RunBaseline("baseline inline", Options.Load, Server.Port());
      }
      TThreadPerClientServer Server(BaselineAnswer);
      RunBaseline("baseline threads", Options.Load, Server.Port());
    }
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "vorlane-bench: %s\n", Error.what());
    CleanupSockets();
    return 1;
  }
  CleanupSockets();
  return 0;
}
