// UCommon: process-wide settings and flags shared by every layer.
//
// Config is written only by the main thread before any other thread starts
// and is read-only afterwards. ShutdownRequested is set by the console
// control handler and read by every thread; ClientCount is raised and
// lowered by the client sessions and read by the listener.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct TConfig {
  std::string Server = ".";
  std::string Pipe = "TMS";
  uint16_t Port = 979;
  uint16_t Timeout = 5;
  uint16_t Length = 8192;
  uint16_t Threads = 5;
  uint16_t Log = 0;
  std::string CommandKey;
};

extern TConfig Config;
extern std::atomic<bool> ShutdownRequested;
extern std::atomic<uint16_t> ClientCount;
