// BenchLoad: the client side of the benchmark. Runs a fixed number of
// one-query connections against a TCP server at a chosen concurrency and
// measures each. Called from the tool's main thread; it starts and joins
// its own worker threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TLoadSettings {
  std::string Address = "127.0.0.1";
  uint16_t Port = 979;
  int Concurrency = 1;
  int Count = 2000;
  std::string Query = "{\"query\":\"test\"}";
};

struct TLoadResult {
  double Seconds = 0;
  // Milliseconds of every exchange that got an answer, sorted.
  std::vector<double> Latencies;
  int Errors = 0;
};

// Each exchange: connect, send the query, read until the server closes.
// An exchange fails when it cannot connect or send, or reads no answer.
TLoadResult RunLoad(const TLoadSettings& Settings);
