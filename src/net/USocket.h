// USocket: the session of one client connection, TSocketThread. The
// listener hands each admitted connection to TSocketThread::Start; the
// session then runs on a detached thread of its own, which frees itself:
// counts itself in ClientCount, receives one query, answers it (or the
// error that stopped it), closes the connection and counts itself out,
// logging each stage at level 1 with the "[#<thread id>]" prefix. A
// command that reached its authorisation adds its audit line at level 2
// after the session's other lines; the client's address that the audit
// and the lock-out use is Address_.
#pragma once

#include <string>

#include "platform/Sockets.h"

class TSocketThread {
 public:
  // Serves Socket, whose client has the address text Address, on a new
  // thread one priority step below normal; returns at once. Takes the
  // socket on every path: when no thread can be started it is closed and
  // std::system_error is thrown. An InvalidSocket is closed by nobody and
  // serves nothing.
  static void Start(TSocketHandle Socket, std::string Address);

  TSocketThread(const TSocketThread&) = delete;
  TSocketThread& operator=(const TSocketThread&) = delete;

 private:
  TSocketThread(TSocketHandle Socket, std::string Address);

  // The connection's whole life, on its own thread.
  void Execute();
  // The bytes of the answer to the query that arrives: a handler's answer,
  // or {"error": message} for whatever stopped the query.
  std::string AnswerBytes();
  std::string AnswerOfQuery();
  void Log(const std::string& Text) const;

  TSocketGuard Socket_;
  const std::string Address_;
  std::string Prefix_;
};
