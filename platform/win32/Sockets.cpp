// Sockets on Win32: Windows Sockets 1.1 calls of ws2_32.
#include "platform/Sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>

namespace {

SOCKET Handle(TSocketHandle Socket) { return static_cast<SOCKET>(Socket); }

// The socket address of Port at a dotted-decimal IPv4 Text; false when
// Text is not one (inet_addr's only failure value is also the broadcast
// address, which is never bound nor connected to here).
bool MakeAddress(const std::string& Text, uint16_t Port, sockaddr_in& Address) {
  Address.sin_family = AF_INET;
  Address.sin_port = htons(Port);
  Address.sin_addr.s_addr = inet_addr(Text.c_str());
  return Address.sin_addr.s_addr != INADDR_NONE;
}

}  // namespace

bool StartSockets() {
  WSADATA Data;
  return WSAStartup(MAKEWORD(1, 1), &Data) == 0;
}

void CleanupSockets() { WSACleanup(); }

TSocketHandle SocketCreate() {
  SOCKET Socket = socket(AF_INET, SOCK_STREAM, 0);
  return Socket == INVALID_SOCKET ? InvalidSocket : static_cast<TSocketHandle>(Socket);
}

bool SocketBind(TSocketHandle Socket, uint16_t Port, const std::string& Address) {
  // No SO_REUSEADDR here: on Windows it would let two programs share a port.
  sockaddr_in Local{};
  if (!MakeAddress(Address, Port, Local)) return false;
  return bind(Handle(Socket), reinterpret_cast<const sockaddr*>(&Local), sizeof Local) == 0;
}

bool SocketListen(TSocketHandle Socket, int Backlog) { return listen(Handle(Socket), Backlog) == 0; }

TSocketHandle SocketAccept(TSocketHandle ListenSocket) {
  SOCKET Socket = accept(Handle(ListenSocket), nullptr, nullptr);
  return Socket == INVALID_SOCKET ? InvalidSocket : static_cast<TSocketHandle>(Socket);
}

bool SocketConnect(TSocketHandle Socket, const std::string& Address, uint16_t Port) {
  sockaddr_in Peer{};
  if (!MakeAddress(Address, Port, Peer)) return false;
  return connect(Handle(Socket), reinterpret_cast<const sockaddr*>(&Peer), sizeof Peer) == 0;
}

bool SocketPeerAddress(TSocketHandle Socket, std::string& Text) {
  sockaddr_in Address{};
  int Length = sizeof Address;
  if (getpeername(Handle(Socket), reinterpret_cast<sockaddr*>(&Address), &Length) != 0) return false;
  if (Address.sin_family != AF_INET) return false;
  // Made by hand: inet_ntoa shares one buffer between threads.
  const auto* Bytes = reinterpret_cast<const unsigned char*>(&Address.sin_addr);
  char Buffer[16];
  std::snprintf(Buffer, sizeof Buffer, "%u.%u.%u.%u", Bytes[0], Bytes[1], Bytes[2], Bytes[3]);
  Text = Buffer;
  return true;
}

int SocketReceiveBufferSize(TSocketHandle Socket) {
  int Size = 0;
  int Length = sizeof Size;
  if (getsockopt(Handle(Socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&Size), &Length) != 0) return 0;
  return Size;
}

bool SocketSetTimeouts(TSocketHandle Socket, uint32_t Milliseconds) {
  DWORD Value = Milliseconds;
  const char* Bytes = reinterpret_cast<const char*>(&Value);
  bool Receive = setsockopt(Handle(Socket), SOL_SOCKET, SO_RCVTIMEO, Bytes, sizeof Value) == 0;
  bool Send = setsockopt(Handle(Socket), SOL_SOCKET, SO_SNDTIMEO, Bytes, sizeof Value) == 0;
  return Receive && Send;
}

int SocketWaitReadable(TSocketHandle Socket, int Milliseconds) {
  fd_set Set;
  FD_ZERO(&Set);
  FD_SET(Handle(Socket), &Set);
  timeval Limit{Milliseconds / 1000, (Milliseconds % 1000) * 1000};
  int Result = select(0, &Set, nullptr, nullptr, &Limit);
  if (Result == SOCKET_ERROR) return -1;
  return Result == 0 ? 0 : 1;
}

int SocketReceive(TSocketHandle Socket, char* Buffer, int Size) {
  if (Size <= 0) return -1;
  int Count = recv(Handle(Socket), Buffer, Size, 0);
  return Count == SOCKET_ERROR ? -1 : Count;
}

int SocketSend(TSocketHandle Socket, const char* Buffer, int Size) {
  if (Size < 0) return -1;
  int Count = send(Handle(Socket), Buffer, Size, 0);
  return Count == SOCKET_ERROR ? -1 : Count;
}

void SocketShutdownSend(TSocketHandle Socket) { shutdown(Handle(Socket), SD_SEND); }

void SocketClose(TSocketHandle Socket) {
  if (Socket == InvalidSocket) return;
  // closesocket wakes a thread blocked in accept on the same socket.
  closesocket(Handle(Socket));
}
