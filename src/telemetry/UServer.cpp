// UServer: the one connection to the telemetry server (see UServer.h).
#include "telemetry/UServer.h"

#include "common/UCommon.h"
#include "halvern.h"
#include "telemetry/UAreaText.h"

std::atomic<int32_t> ServerHandle{0};
uint8_t ServerSlot[8];
std::mutex ServerLock;
std::atomic<bool> EventsAvailable{false};

namespace {

// Trace-service states of the connection.
enum : int { StateConnected = 1, StateDisconnected = 2 };

void ReportState(int State) { strac_SetServerState(ServerSlot, State); }

}  // namespace

bool ConnectServer() {
  ServerHandle = -1;
  ServerHandle = tvxConnect(Config.Server.c_str(), Config.Pipe.c_str(), 0, 0, 0);
  bool Connected = IsServerConnected();
  ReportState(Connected ? StateConnected : StateDisconnected);
  return Connected;
}

bool IsServerConnected() {
  int32_t Handle = ServerHandle;
  if (Handle <= 0) return false;
  if (tvxIsConnected(Handle) != 0) return true;
  // Several threads may notice the loss at once: only the one that drops
  // the handle reports it.
  if (ServerHandle.compare_exchange_strong(Handle, -1)) ReportState(StateDisconnected);
  return false;
}

void DisconnectServer() {
  ReportState(StateDisconnected);
  int32_t Handle = ServerHandle;
  if (Handle > 0 && tvxIsConnected(Handle) != 0) tvxDisconnect(Handle);
}

std::string ServerTimeText() {
  char Buffer[81] = {};
  {
    std::lock_guard<std::mutex> Guard(ServerLock);
    tvxSystemTime(ServerHandle, Buffer, 0);
  }
  return AreaText(Buffer, sizeof Buffer - 1);
}

void CheckEventsAvailable() { EventsAvailable = CurrentEventIndex().has_value(); }

std::optional<TElix> CurrentEventIndex() {
  TElix Index{};
  std::lock_guard<std::mutex> Guard(ServerLock);
  if (tvxGetCurrentElix(ServerHandle, &Index) == 0) return std::nullopt;
  return Index;
}
