#include "BenchLoad.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/Sockets.h"

namespace {

using TClock = std::chrono::steady_clock;

// One exchange; true when an answer came.
bool Exchange(const TLoadSettings& Settings) {
  TSocketGuard Socket(SocketCreate());
  if (!SocketSetTimeouts(Socket.Get(), 30000)) return false;
  if (!SocketConnect(Socket.Get(), Settings.Address, Settings.Port)) return false;
  const std::string& Query = Settings.Query;
  if (SocketSend(Socket.Get(), Query.data(), static_cast<int>(Query.size())) != static_cast<int>(Query.size())) {
    return false;
  }
  char Buffer[65536];
  int Total = 0;
  for (int Count; (Count = SocketReceive(Socket.Get(), Buffer, sizeof Buffer)) > 0;) Total += Count;
  return Total > 0;
}

}  // namespace

TLoadResult RunLoad(const TLoadSettings& Settings) {
  std::atomic<int> Next{0};
  std::mutex Lock;
  TLoadResult Result;
  auto Work = [&] {
    std::vector<double> Mine;
    int Errors = 0;
    while (Next.fetch_add(1) < Settings.Count) {
      auto Start = TClock::now();
      if (Exchange(Settings)) {
        Mine.push_back(std::chrono::duration<double, std::milli>(TClock::now() - Start).count());
      } else {
        ++Errors;
      }
    }
    std::lock_guard<std::mutex> Hold(Lock);
    Result.Latencies.insert(Result.Latencies.end(), Mine.begin(), Mine.end());
    Result.Errors += Errors;
  };
  auto Start = TClock::now();
  std::vector<std::thread> Workers;
  for (int Index = 0; Index < Settings.Concurrency; ++Index) Workers.emplace_back(Work);
  for (auto& Worker : Workers) Worker.join();
  Result.Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
  std::sort(Result.Latencies.begin(), Result.Latencies.end());
  return Result;
}
