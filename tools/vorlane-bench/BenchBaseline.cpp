#include "BenchBaseline.h"

#include <stdexcept>
#include <utility>

TBaselineServer::TBaselineServer(int Threads, std::string Answer) : Answer_(std::move(Answer)) {
  TSocketGuard Listener(SocketCreate());
  for (Port_ = 40000; !SocketBind(Listener.Get(), Port_); ++Port_) {
    if (Port_ == 65000) throw std::runtime_error("no free port for the baseline server");
  }
  if (!SocketListen(Listener.Get(), 128)) throw std::runtime_error("the baseline server cannot listen");
  Listener_ = Listener.Release();
  for (int Index = 0; Index < Threads; ++Index) Threads_.emplace_back([this] { Serve(); });
}

TBaselineServer::~TBaselineServer() {
  SocketClose(Listener_);
  for (auto& Thread : Threads_) Thread.join();
}

void TBaselineServer::Serve() {
  for (;;) {
    TSocketGuard Connection(SocketAccept(Listener_));
    if (Connection.Get() == InvalidSocket) return;
    char Query[8192];
    SocketReceive(Connection.Get(), Query, sizeof Query);
    SocketSend(Connection.Get(), Answer_.data(), static_cast<int>(Answer_.size()));
    SocketShutdownSend(Connection.Get());
  }
}
