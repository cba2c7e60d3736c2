// UServer: the one connection to the telemetry server, shared by the main
// thread and every client session.
//
// ServerLock serialises the library calls made with ServerHandle: a call
// holds it through a TMutexLock, alone or together with the calls it must
// not be separated from, and the compiler checks that ServerHandle is read
// only there (GUARDED_BY). ConnectServer, IsServerConnected and
// DisconnectServer are the exception, by design: they may run on any thread
// without ServerLock (the main thread connects and disconnects; sessions
// test the connection before each query) and test and change the handle
// atomically. State changes go to the host's trace service (UServerTrace.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "common/UMutex.h"
#include "telvex.h"

// Serialises the telemetry library calls made with ServerHandle.
extern TMutex ServerLock;
// > 0 while connected; -1 (or 0 before the first attempt) means none.
extern std::atomic<int32_t> ServerHandle GUARDED_BY(ServerLock);

// Decided once at start-up by CheckEventsAvailable.
extern std::atomic<bool> EventsAvailable;

bool ConnectServer();
bool IsServerConnected();
void DisconnectServer();
// REQUIRES: IsServerConnected() or ConnectServer() returned true.
std::string ServerTimeText() EXCLUDES(ServerLock);
void CheckEventsAvailable() EXCLUDES(ServerLock);
// The log's present position; nothing when the library reports a failure.
std::optional<TElix> CurrentEventIndex() EXCLUDES(ServerLock);
