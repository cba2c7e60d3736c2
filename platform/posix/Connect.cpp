// Connect on POSIX: getaddrinfo, then a non-blocking connect that poll
// bounds in time.
#include "platform/Connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <climits>
#include <memory>

namespace {

// Waits for the connection under way on Fd to end, one way or the other.
TConnectResult AwaitConnection(int Fd, uint32_t Milliseconds) {
  pollfd Entry{Fd, POLLOUT, 0};
  int Ready;
  do {
    Ready = poll(&Entry, 1, Milliseconds > INT_MAX ? INT_MAX : static_cast<int>(Milliseconds));
  } while (Ready < 0 && errno == EINTR);
  if (Ready == 0) return TConnectResult::TimedOut;
  int Error = 0;
  socklen_t Length = sizeof Error;
  if (Ready < 0 || getsockopt(Fd, SOL_SOCKET, SO_ERROR, &Error, &Length) != 0 || Error != 0) {
    return TConnectResult::Refused;
  }
  return TConnectResult::Connected;
}

}  // namespace

TConnectResult ConnectToHost(const std::string& Host, uint16_t Port, uint32_t Milliseconds, TSocketHandle& Socket) {
  addrinfo Hints{};
  Hints.ai_family = AF_INET;
  Hints.ai_socktype = SOCK_STREAM;
  addrinfo* List = nullptr;
  if (getaddrinfo(Host.c_str(), std::to_string(Port).c_str(), &Hints, &List) != 0 || List == nullptr) {
    return TConnectResult::NoAddress;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> HoldList(List, freeaddrinfo);
  TSocketGuard Guard(SocketCreate());
  int Fd = static_cast<int>(Guard.Get());
  int Flags = Fd < 0 ? -1 : fcntl(Fd, F_GETFL);
  if (Flags < 0 || fcntl(Fd, F_SETFL, Flags | O_NONBLOCK) != 0) return TConnectResult::Refused;
  TConnectResult Result = TConnectResult::Connected;
  if (connect(Fd, List->ai_addr, List->ai_addrlen) != 0) {
    Result = errno == EINPROGRESS ? AwaitConnection(Fd, Milliseconds) : TConnectResult::Refused;
  }
  if (Result != TConnectResult::Connected) return Result;
  if (fcntl(Fd, F_SETFL, Flags) != 0) return TConnectResult::Refused;
  Socket = Guard.Release();
  return Result;
}
