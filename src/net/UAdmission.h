// UAdmission: the rules that admit a client by its address, shared by the
// listener, which admits the clients that connect directly, and by the
// sessions of trusted proxies, whose clients are admitted once the proxy's
// header names them.
//
// The white list is filled by the main thread before the listener starts
// and read-only afterwards; every function here may then be called from any
// thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TWhiteList {
  // Most addresses taken from the white list file.
  static constexpr uint16_t Size = 16;

  // The filled entries are 1 to Count; Count 0: no white list in force.
  std::array<std::string, Size> Entries{};
  uint16_t Count = 0;

  // True when a client with this address text may be served: always while
  // no white list is in force.
  bool Admits(const std::string& Address) const;
};

// True when Address is one of the trusted proxies of the settings: its
// connections begin with a PROXY protocol header naming their client.
bool IsTrustedProxy(const std::string& Address);

enum class TRefusal {
  NotInWhiteList,
  MaxClients,
  // A trusted proxy's connection that does not begin with a valid header.
  NoProxyHeader,
};

// Logs, at level 1, that the client at Address was refused and closed.
void LogRefusal(const std::string& Address, TRefusal Reason);

// True, after logging why, when the client at Address is refused: not in
// the white list, or the running sessions have reached the client limit.
// A session counts itself only once it has begun, so a client admitted
// just before may not be counted yet.
bool Refuses(const TWhiteList& WhiteList, const std::string& Address);
