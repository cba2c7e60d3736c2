#include "QExchange.h"

#include <cmath>
#include <stdexcept>

#include "platform/Connect.h"
#include "platform/Sockets.h"

namespace {

std::string Where(const TGatewayAddress& Gateway) { return Gateway.Host + ":" + std::to_string(Gateway.Port); }

TExchangeResult Failed(TExchangeStatus Status, std::string Problem) { return {Status, {}, std::move(Problem)}; }

std::string NoAnswerProblem(const TTransport& Link, int LastCount) {
  if (LastCount == 0) return " closed without an answer";
  return Link.Problem().empty() ? " gave no answer in time" : " gave no answer: " + Link.Problem();
}

// Sends the query and reads the answer until the end of the stream.
TExchangeResult Converse(TTransport& Link, const TGatewayAddress& Gateway, const std::string& Query) {
  if (!Link.Send(Query)) return Failed(TExchangeStatus::NoAnswer, "the query could not be sent to " + Where(Gateway));
  TExchangeResult Result{TExchangeStatus::Answered, {}, {}};
  char Buffer[65536];
  int Count = 0;
  while ((Count = Link.Receive(Buffer, sizeof Buffer)) > 0) Result.Answer.append(Buffer, Count);
  // A reset after the answer still leaves a whole answer.
  if (Result.Answer.empty()) {
    return Failed(TExchangeStatus::NoAnswer, "the gateway at " + Where(Gateway) + NoAnswerProblem(Link, Count));
  }
  return Result;
}

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
  std::unique_ptr<TTransport> Link;
  try {
    Link = Gateway.Tls.Enabled ? TlsTransport(Socket.Get(), Gateway.Tls, Gateway.Host) : PlainTransport(Socket.Get());
  } catch (const ETransportFailure& Failure) {
    return Failed(TExchangeStatus::Unreachable, "no TLS with the gateway at " + Where(Gateway) + ": " + Failure.what());
  }
  return Converse(*Link, Gateway, Query);
}

TSocketsSession::TSocketsSession() {
  if (!StartSockets()) throw std::runtime_error("Windows Sockets cannot start");
}

TSocketsSession::~TSocketsSession() { CleanupSockets(); }
