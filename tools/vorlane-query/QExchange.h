// QExchange: one query and its answer on one connection to the gateway.
#pragma once

#include <cstdint>
#include <string>

#include "QTransport.h"

enum class TExchangeStatus {
  Answered,     // bytes came back
  Unreachable,  // no connection could be made
  NoAnswer,     // the connection closed, failed or timed out before any byte
};

struct TExchangeResult {
  TExchangeStatus Status = TExchangeStatus::NoAnswer;
  std::string Answer;   // the bytes as received
  std::string Problem;  // what went wrong, for the user
};

struct TGatewayAddress {
  std::string Host;
  uint16_t Port = 0;
  double Timeout = 10;  // seconds for each send and receive
  TTlsOptions Tls;      // TLS to the terminator in front of the gateway
};

// Sends Query in one piece (over TLS when Gateway.Tls is enabled) and reads
// until the gateway closes.
TExchangeResult Exchange(const TGatewayAddress& Gateway, const std::string& Query);

// Windows Sockets for the life of the object.
class TSocketsSession {
 public:
  TSocketsSession();
  ~TSocketsSession();
  TSocketsSession(const TSocketsSession&) = delete;
  TSocketsSession& operator=(const TSocketsSession&) = delete;
};
