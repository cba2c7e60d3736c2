// Connect: a client's connection to a host named by a user, within a time
// limit, for the tools (the gateway itself only accepts).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Sockets.h"

enum class TConnectResult {
  Connected,
  NoAddress,  // the host has no IPv4 address
  Refused,    // the connection failed: nobody listens, or the host cannot be reached
  TimedOut,   // no connection within the time limit
};

// Connects a new IPv4 stream socket to Port at the first IPv4 address of
// Host (a name or a dotted-decimal text), waiting at most Milliseconds for
// the connection. On Connected, Socket holds the socket, blocking as
// SocketCreate's are, for the caller to close; otherwise it is untouched.
// Win32: StartSockets must have run.
TConnectResult ConnectToHost(const std::string& Host, uint16_t Port, uint32_t Milliseconds, TSocketHandle& Socket);
