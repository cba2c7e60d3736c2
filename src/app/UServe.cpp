// UServe: see UServe.h.
#include "app/UServe.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/UVariant.h"
#include "common/UCommon.h"
#include "common/ULog.h"
#include "net/UListen.h"
#include "platform/Sockets.h"
#include "queries/UWeakKeys.h"
#include "telemetry/UServer.h"

namespace {

const char* const Rule = "====================";
// A cycle of about a second; Config.CheckSeconds cycles between two
// periodic checks.
const uint32_t CycleMs = 1000;
// The system's queue of connections not yet accepted must hold a burst of
// as many clients as the listener admits: a shorter one drops connections
// (a retransmit stall on Linux, a refusal on Windows) that the listener's
// own rules would have served.
const int MinimumListenBacklog = 5;
// Time that running sessions get to finish at shutdown.
const auto GracePeriod = std::chrono::milliseconds(5000);

// The listening socket on Config.Port at Config.ListenAddress, or
// InvalidSocket after logging why.
TSocketHandle OpenListenSocket() {
  TSocketGuard Socket(SocketCreate());
  WriteLog("Creating socket on port " + std::to_string(Config.Port) + "...", 0);
  if (Socket.Get() == InvalidSocket) {
    WriteLog("ERROR: failed to create socket", 3);
    return InvalidSocket;
  }
  WriteLog("Binding socket to port...", 0);
  if (!SocketBind(Socket.Get(), Config.Port, Config.ListenAddress)) {
    WriteLog("ERROR: failed to bind socket", 3);
    return InvalidSocket;
  }
  WriteLog("Attempting to listen to port...", 0);
  if (!SocketListen(Socket.Get(), std::max<int>(MinimumListenBacklog, Config.Threads))) {
    WriteLog("ERROR: failed listening to port", 3);
    return InvalidSocket;
  }
  return Socket.Release();
}

void Reconnect() {
  WriteLog("Application working, but no connection to server. Trying to reconnect...", 0);
  if (ConnectServer())
    WriteLog("Reconnected successfully. Server time - " + ServerTimeText(), 0);
  else
    WriteLog("Reconnection failed. Will try again later.", 0);
}

void PeriodicCheck() {
  if (Config.Log == 1 && LogBroken) {
    LogBroken = false;
    WriteLog("Logs crashed a while ago, trying to write again.", 0);
  }
  if (IsServerConnected())
    WriteLog("Application working. Server time - " + ServerTimeText(), 1);
  else
    Reconnect();
}

// Cycles of about a second until a console control event or the stop
// event; the first periodic check runs at once.
void Supervise(THostEventHandle StopEvent) {
  const uint32_t CheckEvery = Config.CheckSeconds;
  for (uint32_t Counter = CheckEvery - 1;;) {
    if (++Counter == CheckEvery) {
      Counter = 0;
      PeriodicCheck();
    }
    if (ShutdownRequested) return;
    switch (WaitHostEvent(StopEvent, CycleMs)) {
      case THostWaitResult::Signalled: return;
      case THostWaitResult::TimedOut: break;
      // A wait that fails at once must not turn the loop into a spin.
      case THostWaitResult::Failed: std::this_thread::sleep_for(std::chrono::milliseconds(CycleMs)); break;
    }
  }
}

// The shutdown sequence. Listener is null when start-up failed before
// making it. Closing the listening socket after the grace period wakes the
// listener's pending accept, so that its thread can be joined.
void ShutDown(TSocketGuard& ListenSocket, std::unique_ptr<TListenThread> Listener) {
  WriteLog("Shutting down application ...", 2);
  if (Listener) Listener->Terminate();
  WriteLog("Closing in 5 seconds", 2);
  std::this_thread::sleep_for(GracePeriod);
  ListenSocket.Close();
  Listener.reset();
  DisconnectServer();
  CleanupSockets();
}

void WriteReady() {
  WriteLog("", 0);
  WriteLog(Rule, 0);
  WriteLog("Vorlane ready, port " + std::to_string(Config.Port) + ".", 2);
  WarnOfWeakCommandKeys();
  WriteLog("", 0);
}

}  // namespace

int Serve(THostEventHandle StopEvent) {
  TSocketGuard ListenSocket(OpenListenSocket());
  if (ListenSocket.Get() == InvalidSocket) {
    PressEnterToClose();
    ShutDown(ListenSocket, nullptr);
    return 1;
  }
  WriteLog("Socket creation successful.", 0);
  WriteLog("", 0);
  WriteLog(Rule, 0);
  // Created suspended; its thread runs one step below normal priority.
  auto Listener = std::make_unique<TListenThread>(ListenSocket.Get());
  Listener->LoadWhiteList();
  WriteReady();
  ClientCount = 0;
  // A control event before this point is forgotten.
  ShutdownRequested = false;
  Listener->Start();
  Supervise(StopEvent);
  ShutDown(ListenSocket, std::move(Listener));
  return 0;
}
