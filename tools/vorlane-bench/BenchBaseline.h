// BenchBaseline: the smallest server of the gateway's connection pattern,
// to show what the machine itself allows: accept, read the query once,
// send a fixed answer, close. Created and destroyed on the tool's main
// thread; serves on threads of its own until destroyed.
#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sockets.h"

class TBaselineServer {
 public:
  // Listens on the first free loopback port from 40000 with Threads
  // accepting threads. Throws std::runtime_error when no port can be had.
  TBaselineServer(int Threads, std::string Answer);
  // Closes the listening socket, which ends every accepting thread.
  ~TBaselineServer();
  TBaselineServer(const TBaselineServer&) = delete;
  TBaselineServer& operator=(const TBaselineServer&) = delete;

  uint16_t Port() const { return Port_; }

 private:
  void Serve();

  // Read by the serving threads while the destructor closes it: set once,
  // before they start.
  TSocketHandle Listener_ = InvalidSocket;
  uint16_t Port_ = 0;
  const std::string Answer_;
  std::vector<std::thread> Threads_;
};
