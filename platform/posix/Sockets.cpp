// Sockets on POSIX: BSD sockets on descriptors.
#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

int Fd(TSocketHandle Socket) { return static_cast<int>(Socket); }

// Repeats a call that a signal interrupted before it did anything.
template <typename TCall>
auto Retry(TCall Call) {
  auto Result = Call();
  while (Result < 0 && errno == EINTR) Result = Call();
  return Result;
}

bool SetTimeout(int Fd, int Option, uint32_t Milliseconds) {
  timeval Value{};
  Value.tv_sec = static_cast<time_t>(Milliseconds / 1000);
  Value.tv_usec = static_cast<suseconds_t>((Milliseconds % 1000) * 1000);
  return setsockopt(Fd, SOL_SOCKET, Option, &Value, sizeof Value) == 0;
}

// The socket address of Port at a dotted-decimal IPv4 Text; false when
// Text is not one.
bool MakeAddress(const std::string& Text, uint16_t Port, sockaddr_in& Address) {
  Address.sin_family = AF_INET;
  Address.sin_port = htons(Port);
  return inet_pton(AF_INET, Text.c_str(), &Address.sin_addr) == 1;
}

}  // namespace

bool StartSockets() { return true; }

void CleanupSockets() {}

TSocketHandle SocketCreate() {
  int Socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return Socket < 0 ? InvalidSocket : Socket;
}

bool SocketBind(TSocketHandle Socket, uint16_t Port, const std::string& Address) {
  sockaddr_in Local{};
  if (!MakeAddress(Address, Port, Local)) return false;
  // SO_REUSEADDR lets a restarted gateway bind while connections of the
  // previous run linger in TIME_WAIT, as Windows allows by default; on Linux
  // it still refuses the port while another socket listens on it.
  int On = 1;
  setsockopt(Fd(Socket), SOL_SOCKET, SO_REUSEADDR, &On, sizeof On);
  return bind(Fd(Socket), reinterpret_cast<const sockaddr*>(&Local), sizeof Local) == 0;
}

bool SocketListen(TSocketHandle Socket, int Backlog) { return listen(Fd(Socket), Backlog) == 0; }

TSocketHandle SocketAccept(TSocketHandle ListenSocket) {
  int Socket = Retry([&] { return accept4(Fd(ListenSocket), nullptr, nullptr, SOCK_CLOEXEC); });
  return Socket < 0 ? InvalidSocket : Socket;
}

bool SocketConnect(TSocketHandle Socket, const std::string& Address, uint16_t Port) {
  sockaddr_in Peer{};
  if (!MakeAddress(Address, Port, Peer)) return false;
  return connect(Fd(Socket), reinterpret_cast<const sockaddr*>(&Peer), sizeof Peer) == 0;
}

bool SocketPeerAddress(TSocketHandle Socket, std::string& Text) {
  sockaddr_in Address{};
  socklen_t Length = sizeof Address;
  if (getpeername(Fd(Socket), reinterpret_cast<sockaddr*>(&Address), &Length) != 0) return false;
  if (Address.sin_family != AF_INET) return false;
  char Buffer[INET_ADDRSTRLEN] = {};
  if (!inet_ntop(AF_INET, &Address.sin_addr, Buffer, sizeof Buffer)) return false;
  Text = Buffer;
  return true;
}

int SocketReceiveBufferSize(TSocketHandle Socket) {
  int Size = 0;
  socklen_t Length = sizeof Size;
  if (getsockopt(Fd(Socket), SOL_SOCKET, SO_RCVBUF, &Size, &Length) != 0) return 0;
  return Size;
}

bool SocketSetTimeouts(TSocketHandle Socket, uint32_t Milliseconds) {
  bool Receive = SetTimeout(Fd(Socket), SO_RCVTIMEO, Milliseconds);
  bool Send = SetTimeout(Fd(Socket), SO_SNDTIMEO, Milliseconds);
  return Receive && Send;
}

int SocketWaitReadable(TSocketHandle Socket, int Milliseconds) {
  pollfd Entry{Fd(Socket), POLLIN, 0};
  int Result = Retry([&] { return poll(&Entry, 1, Milliseconds); });
  if (Result < 0) return -1;
  return Result == 0 ? 0 : 1;
}

int SocketReceive(TSocketHandle Socket, char* Buffer, int Size) {
  if (Size <= 0) return -1;
  auto Count = Retry([&] { return recv(Fd(Socket), Buffer, static_cast<size_t>(Size), 0); });
  return Count < 0 ? -1 : static_cast<int>(Count);
}

int SocketSend(TSocketHandle Socket, const char* Buffer, int Size) {
  if (Size < 0) return -1;
  auto Count = Retry([&] { return send(Fd(Socket), Buffer, static_cast<size_t>(Size), MSG_NOSIGNAL); });
  return Count < 0 ? -1 : static_cast<int>(Count);
}

void SocketShutdownSend(TSocketHandle Socket) { shutdown(Fd(Socket), SHUT_WR); }

void SocketClose(TSocketHandle Socket) {
  if (Socket == InvalidSocket) return;
  // On Linux close() alone leaves a thread blocked in accept() asleep;
  // shutdown() wakes it (for a listening socket) and is harmless otherwise.
  shutdown(Fd(Socket), SHUT_RDWR);
  close(Fd(Socket));
}
