// UServer: the one connection to the telemetry server, shared by the main
// thread and every client session.
//
// ConnectServer, IsServerConnected and DisconnectServer may run on any thread
// without ServerLock (the main thread connects and disconnects; sessions test
// the connection before each query). Every other library call that uses
// ServerHandle is made while holding ServerLock. State changes are reported
// to the host's trace service: 1 connected, 2 not connected or stopping.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "telvex.h"

// > 0 while connected; -1 (or 0 before the first attempt) means none.
extern std::atomic<int32_t> ServerHandle;
// The host's 8-byte record for this server, filled by strac_AllocServer.
extern uint8_t ServerSlot[8];
// Serialises the telemetry library calls made with ServerHandle.
extern std::mutex ServerLock;

// Calls a telemetry library operation with ServerHandle under ServerLock;
// the lock is left on every path, also when the call throws.
template <typename TCall, typename... TArgs>
auto LockedCall(TCall Call, TArgs... Args) {
  std::lock_guard<std::mutex> Guard(ServerLock);
  return Call(ServerHandle.load(), Args...);
}
// Decided once at start-up by CheckEventsAvailable.
extern std::atomic<bool> EventsAvailable;

bool ConnectServer();
bool IsServerConnected();
void DisconnectServer();
// REQUIRES: IsServerConnected() or ConnectServer() returned true.
std::string ServerTimeText();
void CheckEventsAvailable();
// The log's present position; nothing when the library reports a failure.
std::optional<TElix> CurrentEventIndex();
