#include "UAcceptor.h"

TAcceptor::TAcceptor(std::unique_ptr<TTvxListener> Listener, TServe Serve, TAdmit Admit)
    : Listener_(std::move(Listener)), Serve_(std::move(Serve)), Admit_(std::move(Admit)) {}

TAcceptor::~TAcceptor() { Stop(); }

void TAcceptor::Start() { AcceptThread_ = std::thread([this] { AcceptLoop(); }); }

void TAcceptor::AcceptLoop() {
  while (std::unique_ptr<TTvxStream> Accepted = Listener_->Accept()) {
    if (Admit_ && !Admit_()) continue;  // closed as it goes out of scope
    std::lock_guard<std::mutex> Guard(Lock_);
    if (Stopping_) break;
    Reap();
    TClient& Client = Clients_.emplace_back();
    Client.Stream = std::move(Accepted);
    Client.Thread = std::thread([this, &Client] {
      Serve_(*Client.Stream);
      Client.Stream->Shutdown();
      Client.Finished.store(true);
    });
  }
}

void TAcceptor::Reap() {
  for (auto It = Clients_.begin(); It != Clients_.end();) {
    if (It->Finished.load()) {
      It->Thread.join();
      It = Clients_.erase(It);
    } else {
      ++It;
    }
  }
}

size_t TAcceptor::DropAll() {
  std::lock_guard<std::mutex> Guard(Lock_);
  size_t Count = 0;
  for (TClient& Client : Clients_)
    if (!Client.Finished.load()) {
      Client.Stream->Shutdown();
      ++Count;
    }
  return Count;
}

void TAcceptor::Stop() {
  {
    std::lock_guard<std::mutex> Guard(Lock_);
    if (Stopping_) return;
    Stopping_ = true;
  }
  Listener_->Close();
  if (AcceptThread_.joinable()) AcceptThread_.join();
  std::list<TClient> Clients;
  {
    std::lock_guard<std::mutex> Guard(Lock_);
    for (TClient& Client : Clients_) Client.Stream->Shutdown();
    Clients.splice(Clients.end(), Clients_);  // nodes stay where their threads see them
  }
  for (TClient& Client : Clients) Client.Thread.join();
}
