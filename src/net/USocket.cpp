#include "net/USocket.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "common/UCommon.h"
#include "common/ULog.h"
#include "json/UJson.h"
#include "net/UDispatch.h"
#include "common/ULogSafe.h"
#include "net/UProxyHeader.h"
#include "net/UTransfer.h"
#include "net/UWireText.h"
#include "platform/CodePage.h"
#include "platform/Threads.h"
#include "queries/UCommandAudit.h"
#include "queries/UQuery.h"

namespace {

// The receive buffer of one query.
constexpr int ReceiveBufferSize = 8192;

// The client limit counts a session until its answer is sent: the client
// takes the end of the answer as the end of its session and may connect
// again at once. What is left, draining the client's last bytes so that
// closing does not reset an answer still in flight, is bounded apart, or
// a client that keeps sending after its answer would hold a thread and a
// socket outside the limit: at most DrainSlots sessions drain at once, each
// for at most DrainTime (and DrainLimit bytes); a session that finds every
// slot taken closes at once, dropping only the bytes already there. Sessions
// count themselves in ClientCount on their own thread, so a burst could
// outrun that count: the listener also starts no session while
// Config.Threads + DrainSlots are alive, counted from Start to the end;
// at that cap it waits for a session to end (see WaitForRoom) before it
// refuses, since a session that only closes ends within moments.
constexpr std::chrono::milliseconds DrainTime{1000};
std::atomic<int> AliveSessions{0};
// Told each time a session ends, for the listener waiting for room.
std::mutex RoomLock;
std::condition_variable RoomFreed;
std::atomic<int> DrainingSessions{0};

// One of the DrainSlots while it lives, when one was free.
class TDrainSlot {
 public:
  TDrainSlot() : Taken_(Take()) {}
  ~TDrainSlot() {
    if (Taken_) --DrainingSessions;
  }
  TDrainSlot(const TDrainSlot&) = delete;
  TDrainSlot& operator=(const TDrainSlot&) = delete;

  std::chrono::milliseconds Linger() const { return Taken_ ? DrainTime : std::chrono::milliseconds::zero(); }

 private:
  static bool Take() {
    int Now = DrainingSessions;
    while (Now < TSocketThread::DrainSlots) {
      if (DrainingSessions.compare_exchange_weak(Now, Now + 1)) return true;
    }
    return false;
  }

  const bool Taken_;
};

std::chrono::milliseconds ClientTimeout() { return std::chrono::seconds(Config.Timeout); }

// Counts one session in ClientCount for as long as it lives; CountOut
// gives the count after the session's own change, for its log line.
class TCountedSession {
 public:
  TCountedSession() : In_(++ClientCount) {}
  ~TCountedSession() {
    if (!Out_) --ClientCount;
  }
  TCountedSession(const TCountedSession&) = delete;
  TCountedSession& operator=(const TCountedSession&) = delete;

  uint16_t In() const { return In_; }
  uint16_t CountOut() {
    Out_ = true;
    return --ClientCount;
  }

 private:
  const uint16_t In_;
  bool Out_ = false;
};

std::string ToWireJson(const TJsonPtr& Value) { return Utf16ToWire(ToJsonText(Value)); }

}  // namespace

void TSocketThread::Start(TSocketHandle Socket, std::string Address) {
  Launch(std::unique_ptr<TSocketThread>(new TSocketThread(Socket, std::move(Address), nullptr)));
}

void TSocketThread::StartProxied(TSocketHandle Socket, std::string ProxyAddress,
                                 std::shared_ptr<const TWhiteList> WhiteList) {
  Launch(std::unique_ptr<TSocketThread>(new TSocketThread(Socket, std::move(ProxyAddress), std::move(WhiteList))));
}

void TSocketThread::Launch(std::unique_ptr<TSocketThread> Session) {
  // Should the thread not start, the lambda and the session with it are
  // destroyed, and the session's guard closes the socket.
  std::thread([Session = std::move(Session)] {
    try {
      Session->Execute();
    } catch (...) {
      // Nothing may leave a detached thread; the guard still closes.
    }
  }).detach();
}

bool TSocketThread::WaitForRoom() {
  auto HasRoom = [] { return AliveSessions < Config.Threads + DrainSlots; };
  std::unique_lock<std::mutex> Hold(RoomLock);
  return RoomFreed.wait_for(Hold, DrainTime, [&HasRoom] { return HasRoom() || ShutdownRequested; }) && HasRoom();
}

int TSocketThread::Alive() { return AliveSessions; }

TSocketThread::TSocketThread(TSocketHandle Socket, std::string Address,
                             std::shared_ptr<const TWhiteList> ProxyWhiteList)
    : Socket_(Socket), Address_(std::move(Address)), ProxyWhiteList_(std::move(ProxyWhiteList)) {
  ++AliveSessions;
}

TSocketThread::~TSocketThread() {
  Socket_.Close();
  {
    // Under the lock, so that the listener cannot miss the change between
    // its check and its wait.
    std::lock_guard<std::mutex> Hold(RoomLock);
    --AliveSessions;
  }
  RoomFreed.notify_all();
}

void TSocketThread::Execute() {
  if (Socket_.Get() == InvalidSocket) return;
  SetBelowNormalPriority();
  Prefix_ = "[#" + std::to_string(CurrentThreadId()) + "] ";
  if (ProxyWhiteList_ && !AdmitProxiedClient()) return;
  TCountedSession Counted;
  TCommandAudit Audit(Address_);
  Log(Address_ + " connected, total clients - " + std::to_string(Counted.In()));
  std::string Answer = AnswerBytes();
  // Whether every byte went out is not reported: the client may be gone.
  SendAll(Socket_.Get(), Answer, ClientTimeout());
  Log("Answer sent");
  // Counted out before the close: the client takes the end of the answer as
  // the end of its session and may connect again at once, and must not be
  // refused for a session that only waits for its close.
  uint16_t Count = Counted.CountOut();
  const TDrainSlot Drain;
  CloseAfterAnswer(Socket_, Drain.Linger());
  Log(Address_ + " disconnected, total clients - " + std::to_string(Count));
  // Kept apart from the level-1 lines: the host's printers and a service
  // manager's journal keep this one.
  if (std::string Line = Audit.Line(); !Line.empty()) WriteLog(Prefix_ + LogSafeText(Line), TLogLevel::Notice);
}

bool TSocketThread::AdmitProxiedClient() {
  SocketSetTimeouts(Socket_.Get(), static_cast<uint32_t>(ClientTimeout().count()));
  auto Wanted = [](std::string_view Bytes) -> std::size_t {
    TProxyHeader Header = ParseProxyHeader(Bytes);
    return Header.Status == TProxyHeaderStatus::Incomplete ? Header.Size : 0;
  };
  TProxyHeader Header = ParseProxyHeader(ReceiveHeader(Socket_.Get(), ClientTimeout(), Wanted));
  if (Header.Status != TProxyHeaderStatus::Complete) {
    LogRefusal(Address_, TRefusal::NoProxyHeader);
    return false;
  }
  if (!Header.Client.empty()) Address_ = Header.Client;
  // Refused as the listener refuses a direct client; while the gateway
  // closes, closed without a line, as the listener does.
  return !Refuses(*ProxyWhiteList_, Address_) && !ShutdownRequested;
}

std::string TSocketThread::AnswerBytes() {
  try {
    return AnswerOfQuery();
  } catch (const std::exception& Error) {
    // The message may carry client bytes: the log gets them escaped, the
    // client unchanged.
    Log(LogSafeText(Error.what()));
    CommandAudit().QueryFailed(Error.what());
    TJsonPtr Answer = NewObject();
    PutString(Answer, u"error", AnsiToUtf16(Error.what()));
    return ToWireJson(Answer);
  }
}

std::string TSocketThread::AnswerOfQuery() {
  int PieceSize = std::min(SocketReceiveBufferSize(Socket_.Get()), ReceiveBufferSize);
  SocketSetTimeouts(Socket_.Get(), static_cast<uint32_t>(ClientTimeout().count()));
  // The parse that tells a complete query is the one dispatched.
  TJsonPtr Query;
  auto Parses = [&Query](std::string_view Bytes) {
    Query = ParseJson(WireToUtf16(Bytes));
    return static_cast<bool>(Query);
  };
  // One byte more than the longest query tells a query that is too long.
  std::string Bytes = ReceiveQuery(Socket_.Get(), Config.Length + 1u, PieceSize, ClientTimeout(), Parses);
  if (ShutdownRequested) throw EQueryError(TMessage::GateClosing);
  if (Bytes.empty()) throw EQueryError(TMessage::NoData);
  if (Bytes.size() > Config.Length) throw EQueryError(TMessage::QueryTooLong);
  Log("Query: " + LogSafeText(WireToAnsi(Bytes)));
  if (!Query) throw EQueryError(TMessage::InvalidFormat);
  return ToWireJson(DispatchQuery(Query));
}

void TSocketThread::Log(const std::string& Text) const { WriteLog(Prefix_ + Text, TLogLevel::Debug); }
