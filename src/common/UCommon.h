// UCommon: process-wide settings and flags shared by every layer.
//
// Config is written only by the main thread before any other thread starts
// and is read-only afterwards. ShutdownRequested is set by the console
// control handler and read by every thread; ClientCount is raised and
// lowered by the client sessions and read by the listener.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The wire's code page for queries and answers.
enum class TCharset { Ansi, Utf8 };
// The separator in the number texts of answers.
enum class TDecimalSeparator { Regional, Point };
// Which proofs a command query may carry.
enum class TCommandAuth { Hash, Mac, Either };

// Commands from one client address refused for Seconds after Failures
// refused authorisations within Seconds; Failures 0: no lock-out.
struct TCommandLockout {
  uint16_t Failures = 0;
  uint32_t Seconds = 0;
};

struct TConfig {
  std::string Server = ".";
  std::string Pipe = "TMS";
  uint16_t Port = 979;
  uint16_t Timeout = 5;
  uint16_t Length = 8192;
  uint16_t Threads = 5;
  uint16_t Log = 0;
  std::string CommandKey;

  // Extensions, set only from the settings file (/config); their defaults
  // keep the gateway exactly as the switches alone make it.
  std::string ConfigFile;           // the settings file; empty: none
  std::string CommandKeyFile;       // where CommandKey was read from, if from a file
  uint32_t CheckSeconds = 120;      // period of the supervision loop's check
  TCharset Charset = TCharset::Ansi;
  TDecimalSeparator DecimalSeparator = TDecimalSeparator::Regional;
  TCommandAuth CommandAuth = TCommandAuth::Hash;
  std::map<std::string, std::string> CommandKeys;  // key id -> key, ANSI bytes
  TCommandLockout CommandLockout;
  std::string ListenAddress = "0.0.0.0";
  std::vector<std::string> TrustedProxies;  // dotted IPv4 texts
};

extern TConfig Config;
extern std::atomic<bool> ShutdownRequested;
extern std::atomic<uint16_t> ClientCount;
