#include "net/UListen.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/UCommon.h"
#include "common/ULog.h"
#include "common/ULogSafe.h"
#include "net/USocket.h"
#include "platform/Threads.h"

namespace {

constexpr char WhiteListFile[] = "white_list.txt";

// Pause after a failed accept: short enough to serve again at once when
// the cause (such as running out of descriptors) passes.
constexpr std::chrono::milliseconds AcceptRetryPause{100};

void LogPlain(const std::string& Text) { WriteLog(Text, TLogLevel::Progress); }

}  // namespace

TListenThread::TListenThread(TSocketHandle ListenSocket) : ListenSocket_(ListenSocket) {}

TListenThread::~TListenThread() {
  Terminate();
  if (Thread_.joinable()) Thread_.join();
}

void TListenThread::LoadWhiteList() {
  LogPlain("Attempting to load white list from file white_list.txt ...");
  std::error_code Error;
  if (!std::filesystem::exists(WhiteListFile, Error)) {
    LogPlain("White list file does not exist. Accepting all clients.");
    return;
  }
  LogPlain("White list file found, only accepting following clients: ");
  if (!ReadWhiteList()) {
    *WhiteList_ = {};
    LogPlain("Error while reading white list file. Accepting all clients.");
  }
}

bool TListenThread::ReadWhiteList() {
  std::error_code Error;
  if (std::filesystem::is_directory(WhiteListFile, Error)) return false;
  std::ifstream In(WhiteListFile, std::ios::binary);
  if (!In) return false;
  while (In.peek() != std::ifstream::traits_type::eof()) {
    if (WhiteList_->Count == TWhiteList::Size) {
      LogPlain("Too many addresses in white list file, only loading first " + std::to_string(TWhiteList::Size) +
               " records.");
      break;
    }
    std::string Line;
    std::getline(In, Line);
    if (In.bad()) return false;
    // A line ends with LF, optionally after CR; the rest is taken whole.
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    if (Line.empty()) continue;
    WhiteList_->Entries[WhiteList_->Count++] = Line;
    LogPlain("- " + LogSafeText(Line));
  }
  if (In.bad()) return false;
  if (WhiteList_->Count == 0) LogPlain("White list file was empty. Accepting all clients.");
  return true;
}

void TListenThread::Start() {
  Thread_ = std::thread([this] {
    SetBelowNormalPriority();
    Execute();
  });
}

void TListenThread::Terminate() {
  {
    std::lock_guard<std::mutex> Hold(PauseLock_);
    Terminated_ = true;
  }
  PauseWake_.notify_all();
}

bool TListenThread::Admits(const std::string& Address) const { return WhiteList_->Admits(Address); }

void TListenThread::Execute() {
  while (!StopAsked()) {
    TSocketHandle Socket = SocketAccept(ListenSocket_);
    if (Socket == InvalidSocket) {
      PauseAfterFailure();
    } else if (!Admit(Socket)) {
      return;
    }
  }
}

bool TListenThread::Admit(TSocketHandle Socket) {
  TSocketGuard Connection(Socket);
  // A failed request keeps the text of the previous connection.
  SocketPeerAddress(Socket, PeerAddress_);
  const bool Proxied = IsTrustedProxy(PeerAddress_);
  // A proxied client is not known before its header; its session is
  // admitted there, and needs a place here all the same.
  if (!Proxied && Refuses(*WhiteList_, PeerAddress_)) return true;
  if (!TSocketThread::WaitForRoom()) {
    LogRefusal(PeerAddress_, TRefusal::MaxClients);
    return true;
  }
  if (ShutdownRequested) return false;
  try {
    if (Proxied) {
      TSocketThread::StartProxied(Connection.Release(), PeerAddress_, WhiteList_);
    } else {
      TSocketThread::Start(Connection.Release(), PeerAddress_);
    }
  } catch (const std::system_error& Error) {
    WriteLog("ERROR: cannot start client thread for " + PeerAddress_ + ": " + Error.what(), TLogLevel::Error);
  }
  return true;
}

bool TListenThread::StopAsked() const { return Terminated_ || ShutdownRequested; }

void TListenThread::PauseAfterFailure() {
  std::unique_lock<std::mutex> Hold(PauseLock_);
  PauseWake_.wait_for(Hold, AcceptRetryPause, [this] { return Terminated_.load(); });
}
