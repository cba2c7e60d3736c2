// Connect on Win32: the host by Windows Sockets 1.1's gethostbyname, then
// a non-blocking connect that select bounds in time.
#include "platform/Connect.h"

#include <winsock2.h>

#include <cstring>

namespace {

bool PeerOf(const std::string& Host, uint16_t Port, sockaddr_in& Peer) {
  // The entry lives in this thread's own storage until its next call.
  const hostent* Entry = gethostbyname(Host.c_str());
  if (Entry == nullptr || Entry->h_addrtype != AF_INET || Entry->h_addr_list[0] == nullptr) return false;
  Peer = sockaddr_in{};
  Peer.sin_family = AF_INET;
  Peer.sin_port = htons(Port);
  std::memcpy(&Peer.sin_addr, Entry->h_addr_list[0], sizeof Peer.sin_addr);
  return true;
}

// Waits for the connection under way on Handle to end, one way or the other.
TConnectResult AwaitConnection(SOCKET Handle, uint32_t Milliseconds) {
  fd_set Written, Failed;
  FD_ZERO(&Written);
  FD_ZERO(&Failed);
  FD_SET(Handle, &Written);
  FD_SET(Handle, &Failed);
  timeval Limit{static_cast<long>(Milliseconds / 1000), static_cast<long>(Milliseconds % 1000 * 1000)};
  int Ready = select(0, nullptr, &Written, &Failed, &Limit);
  if (Ready == 0) return TConnectResult::TimedOut;
  return Ready < 0 || FD_ISSET(Handle, &Failed) ? TConnectResult::Refused : TConnectResult::Connected;
}

}  // namespace

TConnectResult ConnectToHost(const std::string& Host, uint16_t Port, uint32_t Milliseconds, TSocketHandle& Socket) {
  sockaddr_in Peer;
  if (!PeerOf(Host, Port, Peer)) return TConnectResult::NoAddress;
  TSocketGuard Guard(SocketCreate());
  auto Handle = static_cast<SOCKET>(Guard.Get());
  u_long NonBlocking = 1;
  if (Guard.Get() == InvalidSocket || ioctlsocket(Handle, FIONBIO, &NonBlocking) != 0) return TConnectResult::Refused;
  TConnectResult Result = TConnectResult::Connected;
  if (connect(Handle, reinterpret_cast<const sockaddr*>(&Peer), sizeof Peer) != 0) {
    Result = WSAGetLastError() == WSAEWOULDBLOCK ? AwaitConnection(Handle, Milliseconds) : TConnectResult::Refused;
  }
  u_long Blocking = 0;
  if (Result != TConnectResult::Connected) return Result;
  if (ioctlsocket(Handle, FIONBIO, &Blocking) != 0) return TConnectResult::Refused;
  Socket = Guard.Release();
  return Result;
}
