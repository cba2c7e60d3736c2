// UAcceptor: accepts the connections of one listener on a thread of its
// own and serves each on a thread of its own, until stopped.
//
// Start and Stop are called by the thread that owns the acceptor; DropAll
// may be called from any thread (also from a serving thread). Stop closes
// the listener, ends every connection and joins every thread.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "protocol/UTvxTransport.h"

class TAcceptor {
 public:
  // Serve runs once per connection on its own thread and returns when the
  // connection is over. Admit decides, per new connection, whether it is
  // served or closed at once.
  using TServe = std::function<void(TTvxStream&)>;
  using TAdmit = std::function<bool()>;

  TAcceptor(std::unique_ptr<TTvxListener> Listener, TServe Serve, TAdmit Admit = nullptr);
  ~TAcceptor();
  TAcceptor(const TAcceptor&) = delete;
  TAcceptor& operator=(const TAcceptor&) = delete;

  void Start();
  void Stop();
  // Ends every connection being served; the number ended.
  size_t DropAll();

 private:
  struct TClient {
    std::shared_ptr<TTvxStream> Stream;
    std::thread Thread;
    std::atomic<bool> Finished{false};
  };

  void AcceptLoop();
  // Joins the threads of connections that are over. REQUIRES: Lock_ held.
  void Reap();

  std::unique_ptr<TTvxListener> Listener_;
  TServe Serve_;
  TAdmit Admit_;
  std::thread AcceptThread_;
  std::mutex Lock_;
  std::list<TClient> Clients_;  // guarded by Lock_
  bool Stopping_ = false;       // guarded by Lock_
};
