#include "BenchBaseline.h"

#include <stdexcept>
#include <system_error>
#include <utility>

TBaselineListener::TBaselineListener() {
  TSocketGuard Listener(SocketCreate());
  for (Port_ = 40000; !SocketBind(Listener.Get(), Port_); ++Port_) {
    if (Port_ == 65000) throw std::runtime_error("no free port for the baseline server");
  }
  if (!SocketListen(Listener.Get(), 128)) throw std::runtime_error("the baseline server cannot listen");
  Socket_ = Listener.Release();
}

void TBaselineListener::Close() { SocketClose(Socket_); }

void ServeBaselineConnection(TSocketHandle Connection, const std::string& Answer) {
  TSocketGuard Guard(Connection);
  char Query[8192];
  SocketReceive(Guard.Get(), Query, sizeof Query);
  SocketSend(Guard.Get(), Answer.data(), static_cast<int>(Answer.size()));
  SocketShutdownSend(Guard.Get());
}

TBaselineServer::TBaselineServer(int Threads, std::string Answer) : Answer_(std::move(Answer)) {
  for (int Index = 0; Index < Threads; ++Index) Threads_.emplace_back([this] { Serve(); });
}

TBaselineServer::~TBaselineServer() {
  Listener_.Close();
  for (auto& Thread : Threads_) Thread.join();
}

void TBaselineServer::Serve() {
  for (;;) {
    TSocketHandle Connection = SocketAccept(Listener_.Socket());
    if (Connection == InvalidSocket) return;
    ServeBaselineConnection(Connection, Answer_);
  }
}

TThreadPerClientServer::TThreadPerClientServer(std::string Answer)
    : Answer_(std::move(Answer)), Acceptor_([this] { Accept(); }) {}

TThreadPerClientServer::~TThreadPerClientServer() {
  Listener_.Close();
  Acceptor_.join();
  std::unique_lock<std::mutex> Hold(Lock_);
  Idle_.wait(Hold, [this] { return Running_ == 0; });
}

void TThreadPerClientServer::Accept() {
  for (;;) {
    const TSocketHandle Socket = SocketAccept(Listener_.Socket());
    if (Socket == InvalidSocket) return;
    {
      std::lock_guard<std::mutex> Hold(Lock_);
      ++Running_;
    }
    // Detached like the gateway's client threads; the count lets the
    // destructor wait for the last one.
    try {
      std::thread([this, Socket] {
        ServeBaselineConnection(Socket, Answer_);
        Finished();
      }).detach();
    } catch (const std::system_error&) {
      SocketClose(Socket);
      Finished();
    }
  }
}

void TThreadPerClientServer::Finished() {
  std::lock_guard<std::mutex> Hold(Lock_);
  if (--Running_ == 0) Idle_.notify_all();
}
