#include "UAcceptor.h"

TAcceptor::TAcceptor(std::unique_ptr<TTvxListener> Listener, TServe Serve, TAdmit Admit)
    : FListener(std::move(Listener)), FServe(std::move(Serve)), FAdmit(std::move(Admit)) {}

TAcceptor::~TAcceptor() { Stop(); }

void TAcceptor::Start() { FAcceptThread = std::thread([this] { AcceptLoop(); }); }

void TAcceptor::AcceptLoop() {
  while (std::unique_ptr<TTvxStream> Accepted = FListener->Accept()) {
    if (FAdmit && !FAdmit()) continue;  // closed as it goes out of scope
    std::lock_guard<std::mutex> Guard(FLock);
    if (FStopping) break;
    Reap();
    TClient& Client = FClients.emplace_back();
    Client.Stream = std::move(Accepted);
    Client.Thread = std::thread([this, &Client] {
      FServe(*Client.Stream);
      Client.Stream->Shutdown();
      Client.Finished.store(true);
    });
  }
}

void TAcceptor::Reap() {
  for (auto It = FClients.begin(); It != FClients.end();) {
    if (It->Finished.load()) {
      It->Thread.join();
      It = FClients.erase(It);
    } else {
      ++It;
    }
  }
}

size_t TAcceptor::DropAll() {
  std::lock_guard<std::mutex> Guard(FLock);
  size_t Count = 0;
  for (TClient& Client : FClients)
    if (!Client.Finished.load()) {
      Client.Stream->Shutdown();
      ++Count;
    }
  return Count;
}

void TAcceptor::Stop() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    if (FStopping) return;
    FStopping = true;
  }
  FListener->Close();
  if (FAcceptThread.joinable()) FAcceptThread.join();
  std::list<TClient> Clients;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    for (TClient& Client : FClients) Client.Stream->Shutdown();
    Clients.splice(Clients.end(), FClients);  // nodes stay where their threads see them
  }
  for (TClient& Client : Clients) Client.Thread.join();
}
