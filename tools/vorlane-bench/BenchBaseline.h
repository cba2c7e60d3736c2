// BenchBaseline: the smallest servers of the gateway's connection pattern,
// to show what the machine itself allows: accept, read the query once,
// send a fixed answer, close. Created and destroyed on the tool's main
// thread; each serves on threads of its own until destroyed.
//
// TBaselineServer answers inline on a fixed number of accepting threads;
// TThreadPerClientServer starts one thread per connection, as the gateway
// does, and so is the floor of the gateway's own design.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sockets.h"

// A loopback listening socket on the first free port from 40000.
class TBaselineListener {
 public:
  // Throws std::runtime_error when no port can be had.
  TBaselineListener();
  // Closes the socket, which wakes every thread waiting in an accept.
  void Close();

  TSocketHandle Socket() const { return Socket_; }
  uint16_t Port() const { return Port_; }

 private:
  // Read by the serving threads while Close runs: set once, before they start.
  TSocketHandle Socket_ = InvalidSocket;
  uint16_t Port_ = 0;
};

// Reads the query once, sends Answer, ends the connection.
void ServeBaselineConnection(TSocketHandle Connection, const std::string& Answer);

class TBaselineServer {
 public:
  TBaselineServer(int Threads, std::string Answer);
  ~TBaselineServer();
  TBaselineServer(const TBaselineServer&) = delete;
  TBaselineServer& operator=(const TBaselineServer&) = delete;

  uint16_t Port() const { return Listener_.Port(); }

 private:
  void Serve();

  TBaselineListener Listener_;
  const std::string Answer_;
  std::vector<std::thread> Threads_;
};

class TThreadPerClientServer {
 public:
  explicit TThreadPerClientServer(std::string Answer);
  // Closes the listener and waits for the accepting thread and for every
  // connection thread still running.
  ~TThreadPerClientServer();
  TThreadPerClientServer(const TThreadPerClientServer&) = delete;
  TThreadPerClientServer& operator=(const TThreadPerClientServer&) = delete;

  uint16_t Port() const { return Listener_.Port(); }

 private:
  void Accept();
  // A connection thread has ended.
  void Finished();

  TBaselineListener Listener_;
  const std::string Answer_;
  std::mutex Lock_;
  std::condition_variable Idle_;
  int Running_ = 0;  // connection threads not yet ended, under Lock_
  std::thread Acceptor_;
};
