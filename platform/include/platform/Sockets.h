// Sockets: the few TCP operations of the gateway, alike on Win32 (Windows
// Sockets 1.1) and POSIX (BSD sockets).
//
// StartSockets and CleanupSockets are called once each by the main thread,
// around every other use. Every other function may be called from any
// thread; a socket is used by one thread at a time, except that the main
// thread may close the listening socket while the listener thread is
// blocked in SocketAccept on it: the accept then returns InvalidSocket.
// Functions report failure by their result only: they never throw and never
// raise a signal (a send to a peer that has gone fails instead of raising
// SIGPIPE on POSIX).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A socket as the system defines it (SOCKET on Win32, a descriptor on POSIX),
// widened to one type for both.
using TSocketHandle = std::intptr_t;
inline constexpr TSocketHandle InvalidSocket = -1;

// Windows Sockets start-up, asking for version 1.1; true on POSIX.
bool StartSockets();
// Windows Sockets clean-up; nothing on POSIX.
void CleanupSockets();

// A new IPv4 stream socket with the default protocol, or InvalidSocket.
TSocketHandle SocketCreate();
// Binds to Port at the local IPv4 address written dotted-decimal in
// Address, by default every local address. Fails while another socket
// listens on that port, and for an address that is not the machine's.
bool SocketBind(TSocketHandle Socket, uint16_t Port, const std::string& Address = "0.0.0.0");
bool SocketListen(TSocketHandle Socket, int Backlog);
// Waits for a connection on a listening socket; the connection's socket, or
// InvalidSocket when the accept failed or the listening socket was closed.
TSocketHandle SocketAccept(TSocketHandle ListenSocket);

// Connects a socket to Port at an IPv4 address written dotted-decimal (the
// tools and tests are the clients; the gateway only accepts).
bool SocketConnect(TSocketHandle Socket, const std::string& Address, uint16_t Port);

// The peer's IPv4 address as dotted-decimal text (four decimal numbers
// without leading zeros); false, with Text unchanged, when it is not known.
bool SocketPeerAddress(TSocketHandle Socket, std::string& Text);

// Size of the socket's receive buffer in bytes; 0 when it cannot be read.
int SocketReceiveBufferSize(TSocketHandle Socket);
// Receive and send time-outs of the blocking calls, in milliseconds.
bool SocketSetTimeouts(TSocketHandle Socket, uint32_t Milliseconds);

// Waits until the socket has bytes (or end of stream) to read. 1 readable,
// 0 when Milliseconds passed first, -1 on failure.
int SocketWaitReadable(TSocketHandle Socket, int Milliseconds);
// One receive of at most Size bytes: the count received, 0 at end of
// stream, -1 on failure or when the receive time-out passed.
int SocketReceive(TSocketHandle Socket, char* Buffer, int Size);
// One send of at most Size bytes: the count sent (possibly fewer), -1 on
// failure or when the send time-out passed.
int SocketSend(TSocketHandle Socket, const char* Buffer, int Size);
// Ends the sending direction: the peer reads end of stream after the bytes
// already sent.
void SocketShutdownSend(TSocketHandle Socket);

// Closes the socket. Safe to call on InvalidSocket (does nothing). Closing a
// listening socket wakes a thread blocked in SocketAccept on it.
void SocketClose(TSocketHandle Socket);

// Owns one socket and closes it when it goes out of scope, on every path.
class TSocketGuard {
 public:
  explicit TSocketGuard(TSocketHandle Socket = InvalidSocket) : Socket_(Socket) {}
  ~TSocketGuard() { SocketClose(Socket_); }
  TSocketGuard(const TSocketGuard&) = delete;
  TSocketGuard& operator=(const TSocketGuard&) = delete;

  TSocketHandle Get() const { return Socket_; }
  // Gives up ownership without closing.
  TSocketHandle Release() {
    TSocketHandle Socket = Socket_;
    Socket_ = InvalidSocket;
    return Socket;
  }
  // Closes now; later calls and the destructor do nothing.
  void Close() { SocketClose(Release()); }
  // Closes the socket held so far and takes Socket instead.
  void Reset(TSocketHandle Socket) {
    SocketClose(Socket_);
    Socket_ = Socket;
  }

 private:
  TSocketHandle Socket_;
};
