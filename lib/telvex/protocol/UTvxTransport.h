// UTvxTransport: the byte streams between the telvex library and telvexd,
// and the loopback TCP streams of telvexd's admin interface.
//
// The local stream is named by machine and pipe: POSIX uses a Unix domain
// socket in the abstract namespace ("telvex.NAME", this machine only);
// Windows uses the named pipe \\MACHINE\pipe\NAME.
//
// Threads: a stream is read by one thread and written by one thread at a
// time; HungUp and Shutdown may be called from any other thread at any
// time. A listener's Accept runs on one thread; Close may come from any
// other thread and wakes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TTvxStream {
 public:
  virtual ~TTvxStream() = default;
  TTvxStream(const TTvxStream&) = delete;
  TTvxStream& operator=(const TTvxStream&) = delete;

  // Receives up to Size bytes, waiting at most TimeoutMs (-1: no limit):
  // the count received, 0 at end of stream, -1 on failure, time-out or
  // after Shutdown.
  virtual int ReadSome(void* Buffer, size_t Size, int TimeoutMs) = 0;
  // Sends all Size bytes, waiting at most TimeoutMs; false on failure.
  virtual bool WriteAll(const void* Buffer, size_t Size, int TimeoutMs) = 0;
  // True when the peer has closed its end (or the stream failed); looks
  // without waiting and without consuming anything.
  virtual bool HungUp() = 0;
  // Ends the stream: a blocked ReadSome returns, later reads and writes
  // fail, and the peer sees the end of the stream.
  virtual void Shutdown() = 0;

  // Reads exactly Size bytes (each wait limited by TimeoutMs); false on
  // failure, time-out or end of stream.
  bool ReadAll(void* Buffer, size_t Size, int TimeoutMs);

 protected:
  TTvxStream() = default;
};

class TTvxListener {
 public:
  virtual ~TTvxListener() = default;
  TTvxListener(const TTvxListener&) = delete;
  TTvxListener& operator=(const TTvxListener&) = delete;

  // The next connection; null once Close was called or on failure.
  virtual std::unique_ptr<TTvxStream> Accept() = 0;
  // Stops listening and wakes Accept.
  virtual void Close() = 0;

 protected:
  TTvxListener() = default;
};

// Connects to pipe Pipe on Machine ("." or "" for this machine), waiting
// at most TimeoutMs for a busy server; null when it cannot.
std::unique_ptr<TTvxStream> TvxConnectPipe(const std::string& Machine, const std::string& Pipe, int TimeoutMs);
// Listens on pipe Pipe of this machine; null (with Error set) when the
// name is taken or cannot be used.
std::unique_ptr<TTvxListener> TvxListenPipe(const std::string& Pipe, std::string& Error);
// Listens on TCP Port of the loopback address 127.0.0.1 only.
std::unique_ptr<TTvxListener> TvxListenLoopback(uint16_t Port, std::string& Error);
