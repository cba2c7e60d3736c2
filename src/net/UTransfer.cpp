#include "net/UTransfer.h"

#include <algorithm>

namespace {

using TClock = std::chrono::steady_clock;

// Milliseconds to wait for the next piece: the gap, or less when the
// deadline is nearer; 0 or less when it has passed.
int NextWait(TClock::time_point Deadline) {
  auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - TClock::now());
  return static_cast<int>(std::min(Left, QueryPieceGap).count());
}

// True when another piece has arrived within the wait, or end of stream.
bool MoreArrives(TSocketHandle Socket, TClock::time_point Deadline) {
  int Wait = NextWait(Deadline);
  return Wait > 0 && SocketWaitReadable(Socket, Wait) == 1;
}

int AskSize(std::size_t Left, int PieceSize) {
  int Size = static_cast<int>(std::min<std::size_t>(Left, 1 << 20));
  return PieceSize > 0 ? std::min(Size, PieceSize) : Size;
}

}  // namespace

std::string ReceiveQuery(TSocketHandle Socket, std::size_t Limit, int PieceSize, std::chrono::milliseconds Timeout,
                         const std::function<bool(std::string_view)>& Complete) {
  const auto Deadline = TClock::now() + Timeout;
  std::string Bytes(Limit, '\0');
  std::size_t Received = 0;
  do {
    int Count = SocketReceive(Socket, Bytes.data() + Received, AskSize(Limit - Received, PieceSize));
    if (Count <= 0) break;
    Received += static_cast<std::size_t>(Count);
  } while (Received < Limit && !Complete(std::string_view(Bytes.data(), Received)) && MoreArrives(Socket, Deadline));
  Bytes.resize(Received);
  return Bytes;
}

std::string ReceiveHeader(TSocketHandle Socket, std::chrono::milliseconds Timeout,
                          const std::function<std::size_t(std::string_view)>& Wanted) {
  const auto Deadline = TClock::now() + Timeout;
  std::string Bytes;
  for (std::size_t Want = Wanted(Bytes); Want > 0; Want = Wanted(Bytes)) {
    if (!Bytes.empty() && !MoreArrives(Socket, Deadline)) break;
    const std::size_t Had = Bytes.size();
    Bytes.resize(Had + Want);
    int Count = SocketReceive(Socket, Bytes.data() + Had, AskSize(Want, 0));
    Bytes.resize(Had + static_cast<std::size_t>(std::max(Count, 0)));
    if (Count <= 0) break;
  }
  return Bytes;
}

bool SendAll(TSocketHandle Socket, std::string_view Bytes, std::chrono::milliseconds Timeout) {
  const auto Deadline = TClock::now() + Timeout;
  std::size_t Sent = 0;
  while (Sent < Bytes.size()) {
    // Each send waits up to the socket's send time-out; the deadline bounds
    // the whole answer for a client that reads slowly.
    if (Sent > 0 && TClock::now() >= Deadline) return false;
    int Count = SocketSend(Socket, Bytes.data() + Sent, AskSize(Bytes.size() - Sent, 0));
    if (Count <= 0) return false;
    Sent += static_cast<std::size_t>(Count);
  }
  return true;
}

void CloseAfterAnswer(TSocketGuard& Socket, std::chrono::milliseconds Linger) {
  const auto Deadline = TClock::now() + Linger;
  SocketShutdownSend(Socket.Get());
  char Dropped[4096];
  std::size_t Drained = 0;
  // Past the deadline the wait is 0: bytes already there are still taken.
  while (Drained < DrainLimit && SocketWaitReadable(Socket.Get(), std::max(NextWait(Deadline), 0)) == 1) {
    int Count = SocketReceive(Socket.Get(), Dropped, sizeof Dropped);
    if (Count <= 0) break;
    Drained += static_cast<std::size_t>(Count);
  }
  Socket.Close();
}
