// UListen: the listener thread, TListenThread. It accepts connections on
// the listening socket, admits or refuses each client (white list, client
// limit, shutdown) and hands every admitted connection to a session thread
// (TSocketThread) of its own, keeping no reference to it. A connection of a
// trusted proxy is handed on at once: its session admits the client that
// the proxy's header names, by the same rules.
//
// Life, all calls on the main thread:
//   auto Listener = std::make_unique<TListenThread>(ListenSocket); // suspended
//   Listener->LoadWhiteList();   // before Start
//   Listener->Start();           // the accept loop runs
//   ...
//   Listener->Terminate();       // ends at its next return from accepting
//   SocketClose(ListenSocket);   // wakes the pending accept
//   Listener.reset();            // joins the thread
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/UAdmission.h"
#include "platform/Sockets.h"

class TListenThread {
 public:
  // Created suspended, with an empty white list. ListenSocket stays the
  // caller's: it is used, never closed, here.
  explicit TListenThread(TSocketHandle ListenSocket);
  // Asks the thread to stop and joins it.
  // REQUIRES: Start was not called, or the listening socket is closed.
  ~TListenThread();
  TListenThread(const TListenThread&) = delete;
  TListenThread& operator=(const TListenThread&) = delete;

  // Reads "white_list.txt" of the working directory and logs what it took
  // (level 0). Never fails: a missing, empty or unreadable file admits
  // every client. REQUIRES: before Start.
  void LoadWhiteList();
  // Runs the accept loop on its own thread, one priority step below normal.
  // REQUIRES: called once.
  void Start();
  // Asks the accept loop to end; it ends when its pending accept returns.
  // Any thread, any number of times.
  void Terminate();

  // True when a client with this address text may be served by the white
  // list: always while no white list is in force.
  bool Admits(const std::string& Address) const;

 private:
  // Fills the white list from the file; false on any failure to read it.
  bool ReadWhiteList();
  void Execute();
  // Admits or refuses one accepted connection; false when the loop must end.
  bool Admit(TSocketHandle Socket);
  bool StopAsked() const;
  // Waits a little after a failed accept, so that one that keeps failing
  // does not spin; Terminate cuts the wait short.
  void PauseAfterFailure();

  const TSocketHandle ListenSocket_;
  // Shared with the sessions of trusted proxies, which may outlive the
  // listener; read-only once the thread starts.
  std::shared_ptr<TWhiteList> WhiteList_ = std::make_shared<TWhiteList>();
  // Text of the last peer address learnt; kept when the next is unknown.
  std::string PeerAddress_ = "0.0.0.0";

  std::atomic<bool> Terminated_{false};
  std::mutex PauseLock_;
  std::condition_variable PauseWake_;
  std::thread Thread_;
};
