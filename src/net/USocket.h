// USocket: the session of one client connection, TSocketThread. The
// listener hands each admitted connection to TSocketThread::Start; the
// session then runs on a detached thread of its own, which frees itself:
// counts itself in ClientCount, receives one query, answers it (or the
// error that stopped it), closes the connection and counts itself out,
// logging each stage at level 1 with the "[#<thread id>]" prefix.
//
// The session of a trusted proxy's connection first reads the proxy's
// PROXY protocol header and admits the client it names; from then on the
// client's address is the session's address for everything, as if the
// client had connected directly.
//
// What is left of a session after its answer (draining the client's last
// bytes, closing) is bounded apart from the client limit, so that the
// threads and sockets of sessions stay within Config.Threads + DrainSlots
// whatever the clients do (see USocket.cpp).
//
// A command that reached its authorisation adds its audit line at level 2
// after the session's other lines; the client's address that the audit
// and the lock-out use is Address_.
#pragma once

#include <memory>
#include <string>

#include "net/UAdmission.h"
#include "platform/Sockets.h"

class TSocketThread {
 public:
  // Sessions beyond Config.Threads that may be alive at once: room for
  // those that drain or close after their answer.
  static constexpr int DrainSlots = 4;

  // Serves Socket, whose client has the address text Address, on a new
  // thread one priority step below normal; returns at once. Takes the
  // socket on every path: when no thread can be started it is closed and
  // std::system_error is thrown. An InvalidSocket is closed by nobody and
  // serves nothing.
  static void Start(TSocketHandle Socket, std::string Address);
  // Serves Socket of the trusted proxy at ProxyAddress as Start does, once
  // the connection's header has named the client (LOCAL and the like keep
  // ProxyAddress) and the client is admitted by WhiteList and the client
  // limit. A connection without a valid header within the time-out, and a
  // refused client, are closed without an answer and logged.
  static void StartProxied(TSocketHandle Socket, std::string ProxyAddress,
                           std::shared_ptr<const TWhiteList> WhiteList);
  // True when one more session may start: fewer than Config.Threads +
  // DrainSlots sessions are alive, counted or not, now or after waiting at
  // most the longest drain for a session to end. A client that connects
  // again at once after its answer finds its previous session still
  // closing, and is not refused for it. REQUIRES: called on the listener
  // thread, the only one that starts sessions, before Start or
  // StartProxied.
  static bool WaitForRoom();
  // Sessions alive now: started and not yet ended.
  static int Alive();

  // Closes the socket, then counts the session out of those alive.
  ~TSocketThread();

  TSocketThread(const TSocketThread&) = delete;
  TSocketThread& operator=(const TSocketThread&) = delete;

 private:
  TSocketThread(TSocketHandle Socket, std::string Address, std::shared_ptr<const TWhiteList> ProxyWhiteList);

  // Runs the session on a detached thread of its own.
  static void Launch(std::unique_ptr<TSocketThread> Session);
  // The connection's whole life, on its own thread.
  void Execute();
  // Reads a trusted proxy's header and admits the client it names; false,
  // after logging why, when the connection is to be closed at once.
  bool AdmitProxiedClient();
  // The bytes of the answer to the query that arrives: a handler's answer,
  // or {"error": message} for whatever stopped the query.
  std::string AnswerBytes();
  std::string AnswerOfQuery();
  void Log(const std::string& Text) const;

  TSocketGuard Socket_;
  // The client's address text: the peer's, or the one that a trusted
  // proxy's header names, set before anything reads it.
  std::string Address_;
  // Set for a trusted proxy's connection only.
  const std::shared_ptr<const TWhiteList> ProxyWhiteList_;
  std::string Prefix_;
};
