#include "QExchange.h"

#include <cmath>
#include <stdexcept>

#include "platform/Connect.h"
#include "platform/Sockets.h"

namespace {

std::string Where(const TGatewayAddress& Gateway) { return Gateway.Host + ":" + std::to_string(Gateway.Port); }

TExchangeResult Failed(TExchangeStatus Status, std::string Problem) { return {Status, {}, std::move(Problem)}; }

}  // namespace

TExchangeResult Exchange(const TGatewayAddress& Gateway, const std::string& Query) {
  auto Milliseconds = static_cast<uint32_t>(std::ceil(Gateway.Timeout * 1000));
  TSocketHandle Connected = InvalidSocket;
  switch (ConnectToHost(Gateway.Host, Gateway.Port, Milliseconds, Connected)) {
    case TConnectResult::NoAddress:
      return Failed(TExchangeStatus::Unreachable, "no IPv4 address for host " + Gateway.Host);
    case TConnectResult::Refused:
      return Failed(TExchangeStatus::Unreachable, "cannot connect to the gateway at " + Where(Gateway));
    case TConnectResult::TimedOut:
      return Failed(TExchangeStatus::Unreachable, "no connection to the gateway at " + Where(Gateway) + " in time");
    case TConnectResult::Connected:
      break;
  }
  TSocketGuard Socket(Connected);
  if (!SocketSetTimeouts(Socket.Get(), Milliseconds)) {
    return Failed(TExchangeStatus::Unreachable, "cannot set the time-outs of the connection to " + Where(Gateway));
  }
  if (SocketSend(Socket.Get(), Query.data(), static_cast<int>(Query.size())) != static_cast<int>(Query.size())) {
    return Failed(TExchangeStatus::NoAnswer, "the query could not be sent to " + Where(Gateway));
  }
  TExchangeResult Result{TExchangeStatus::Answered, {}, {}};
  char Buffer[65536];
  int Count = 0;
  while ((Count = SocketReceive(Socket.Get(), Buffer, sizeof Buffer)) > 0) Result.Answer.append(Buffer, Count);
  // A reset after the answer still leaves a whole answer.
  if (Result.Answer.empty()) {
    return Failed(TExchangeStatus::NoAnswer, "the gateway at " + Where(Gateway) +
                                                 (Count == 0 ? " closed without an answer" : " gave no answer in time"));
  }
  return Result;
}

TSocketsSession::TSocketsSession() {
  if (!StartSockets()) throw std::runtime_error("Windows Sockets cannot start");
}

TSocketsSession::~TSocketsSession() { CleanupSockets(); }
