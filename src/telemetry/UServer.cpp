// UServer: the one connection to the telemetry server (see UServer.h).
#include "telemetry/UServer.h"

#include "common/UCommon.h"
#include "telemetry/UAreaText.h"
#include "telemetry/UServerTrace.h"

TMutex ServerLock;
std::atomic<int32_t> ServerHandle{0};
std::atomic<bool> EventsAvailable{false};

namespace {

// The handle as the connection's own steps use it, without ServerLock:
// they only connect, test and disconnect, and change the handle atomically,
// so the analysis that holds every other use to the lock skips this one.
std::atomic<int32_t>& ConnectionHandle() NO_THREAD_SAFETY_ANALYSIS { return ServerHandle; }

}  // namespace

bool ConnectServer() {
  ConnectionHandle() = -1;
  ConnectionHandle() = tvxConnect(Config.Server.c_str(), Config.Pipe.c_str(), 0, 0, 0);
  bool Connected = IsServerConnected();
  ReportServerState(Connected ? ServerConnected : ServerDisconnected);
  return Connected;
}

bool IsServerConnected() {
  int32_t Handle = ConnectionHandle();
  if (Handle <= 0) return false;
  if (tvxIsConnected(Handle) != 0) return true;
  // Several threads may notice the loss at once: only the one that drops
  // the handle reports it.
  if (ConnectionHandle().compare_exchange_strong(Handle, -1)) ReportServerState(ServerDisconnected);
  return false;
}

void DisconnectServer() {
  ReportServerState(ServerDisconnected);
  int32_t Handle = ConnectionHandle();
  if (Handle > 0 && tvxIsConnected(Handle) != 0) tvxDisconnect(Handle);
}

std::string ServerTimeText() {
  char Buffer[81] = {};
  {
    TMutexLock Guard(ServerLock);
    tvxSystemTime(ServerHandle, Buffer, 0);
  }
  return AreaText(Buffer, sizeof Buffer - 1);
}

void CheckEventsAvailable() { EventsAvailable = CurrentEventIndex().has_value(); }

std::optional<TElix> CurrentEventIndex() {
  TElix Index{};
  TMutexLock Guard(ServerLock);
  if (tvxGetCurrentElix(ServerHandle, &Index) == 0) return std::nullopt;
  return Index;
}
