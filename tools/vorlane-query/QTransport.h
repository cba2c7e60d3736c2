// QTransport: the byte stream of one connection to the gateway: the plain
// socket, or TLS over it to the terminator in front of the gateway. The TLS
// transport is one file per build: OpenSSL (QTlsOpenSsl.cpp) where the
// build has it, none (QTlsNone.cpp) where it has not. One thread per
// transport.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Sockets.h"

// How to reach the gateway over TLS.
struct TTlsOptions {
  bool Enabled = false;
  std::string CaFile;      // the trusted certificates; empty: the system's
  std::string CertFile;    // the client's certificate chain, for mutual TLS
  std::string KeyFile;     // the client's private key
  std::string ServerName;  // the name to ask for and verify; empty: the host
};

// A connection that could not be made secure; the text is for the user.
struct ETransportFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TTransport {
 public:
  virtual ~TTransport() = default;
  // Sends every byte; false on failure.
  virtual bool Send(std::string_view Bytes) = 0;
  // One receive of at most Size bytes: the count, 0 at the end of the
  // stream, -1 on failure or when the socket's receive time-out passed.
  virtual int Receive(char* Buffer, int Size) = 0;
  // What made the last call fail, for the user; empty when it is only the
  // socket's failure or time-out.
  virtual std::string Problem() const { return {}; }
};

// The socket itself. Socket stays the caller's and outlives the transport.
std::unique_ptr<TTransport> PlainTransport(TSocketHandle Socket);

// True when this build can speak TLS.
bool TlsAvailable();

// TLS over the connected Socket, the handshake done: the gateway's
// certificate verified for Options.ServerName or else Host, with the
// client's certificate when Options name one. Throws ETransportFailure.
// Socket stays the caller's and outlives the transport.
std::unique_ptr<TTransport> TlsTransport(TSocketHandle Socket, const TTlsOptions& Options, const std::string& Host);
