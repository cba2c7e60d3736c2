// Win32 streams: named pipes \\MACHINE\pipe\NAME with overlapped I/O (so
// that waits have time-outs and another thread can end them), and TCP on
// 127.0.0.1 through Windows Sockets for the admin interface.
#include "protocol/UTvxTransport.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

// ---- named pipes ----

constexpr DWORD PipeBufferSize = 64 * 1024;

std::string PipePath(const std::string& Machine, const std::string& Pipe) {
  return "\\\\" + (Machine.empty() ? std::string(".") : Machine) + "\\pipe\\" + Pipe;
}

class THandle {
 public:
  explicit THandle(HANDLE Handle = nullptr) : Handle_(Handle) {}
  ~THandle() {
    if (Handle_ != nullptr && Handle_ != INVALID_HANDLE_VALUE) CloseHandle(Handle_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return Handle_; }

 private:
  HANDLE Handle_;
};

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

class TPipeStream final : public TTvxStream {
 public:
  TPipeStream(HANDLE Pipe, bool ServerEnd)
      : Pipe_(Pipe), ServerEnd_(ServerEnd), ReadEvent_(NewEvent()), WriteEvent_(NewEvent()), StopEvent_(NewEvent()) {}
  ~TPipeStream() override {
    CancelIoEx(Pipe_, nullptr);
    if (ServerEnd_) DisconnectNamedPipe(Pipe_);
    CloseHandle(Pipe_);
  }

  int ReadSome(void* Buffer, size_t Size, int TimeoutMs) override {
    DWORD Count = 0;
    if (!Transfer(false, Buffer, static_cast<DWORD>(std::min<size_t>(Size, PipeBufferSize)), TimeoutMs, Count))
      return Ended_ ? 0 : -1;
    return static_cast<int>(Count);
  }

  bool WriteAll(const void* Buffer, size_t Size, int TimeoutMs) override {
    const auto* Bytes = static_cast<const char*>(Buffer);
    while (Size > 0) {
      DWORD Count = 0;
      if (!Transfer(true, const_cast<char*>(Bytes), static_cast<DWORD>(std::min<size_t>(Size, PipeBufferSize)),
                    TimeoutMs, Count) ||
          Count == 0)
        return false;
      Bytes += Count;
      Size -= Count;
    }
    return true;
  }

  bool HungUp() override {
    if (WaitForSingleObject(StopEvent_.Get(), 0) == WAIT_OBJECT_0) return true;
    DWORD Available = 0;
    return !PeekNamedPipe(Pipe_, nullptr, 0, nullptr, &Available, nullptr);
  }

  void Shutdown() override {
    SetEvent(StopEvent_.Get());
    CancelIoEx(Pipe_, nullptr);
    // The server end can end the link at once; the client's end ends when
    // its handle closes.
    if (ServerEnd_) DisconnectNamedPipe(Pipe_);
  }

 private:
  // One overlapped read or write, waiting at most TimeoutMs or until
  // Shutdown. Ended_ tells a read that met the end of the pipe.
  bool Transfer(bool Write, void* Buffer, DWORD Size, int TimeoutMs, DWORD& Count) {
    Ended_ = false;
    if (WaitForSingleObject(StopEvent_.Get(), 0) == WAIT_OBJECT_0) return false;
    OVERLAPPED Overlapped{};
    Overlapped.hEvent = Write ? WriteEvent_.Get() : ReadEvent_.Get();
    ResetEvent(Overlapped.hEvent);
    const BOOL Done = Write ? WriteFile(Pipe_, Buffer, Size, nullptr, &Overlapped)
                            : ReadFile(Pipe_, Buffer, Size, nullptr, &Overlapped);
    if (!Done && GetLastError() != ERROR_IO_PENDING) return Failed();
    const HANDLE Waits[2] = {Overlapped.hEvent, StopEvent_.Get()};
    const DWORD Woken = WaitForMultipleObjects(2, Waits, FALSE, TimeoutMs < 0 ? INFINITE : static_cast<DWORD>(TimeoutMs));
    if (Woken != WAIT_OBJECT_0) CancelIoEx(Pipe_, &Overlapped);
    // Waits for the operation to end, also when it was just cancelled: an
    // operation that completed all the same keeps its bytes.
    if (!GetOverlappedResult(Pipe_, &Overlapped, &Count, TRUE)) return Failed();
    return true;
  }

  bool Failed() {
    const DWORD Error = GetLastError();
    Ended_ = Error == ERROR_BROKEN_PIPE || Error == ERROR_PIPE_NOT_CONNECTED || Error == ERROR_NO_DATA;
    return false;
  }

  HANDLE Pipe_;
  bool ServerEnd_;
  THandle ReadEvent_, WriteEvent_, StopEvent_;
  bool Ended_ = false;
};

class TPipeListener final : public TTvxListener {
 public:
  TPipeListener(std::string Path, HANDLE First) : Path_(std::move(Path)), Next_(First), CloseEvent_(NewEvent()) {}
  ~TPipeListener() override {
    if (Next_ != INVALID_HANDLE_VALUE) CloseHandle(Next_);
  }

  std::unique_ptr<TTvxStream> Accept() override {
    while (Next_ != INVALID_HANDLE_VALUE && WaitForSingleObject(CloseEvent_.Get(), 0) != WAIT_OBJECT_0) {
      if (WaitConnected()) {
        const HANDLE Connected = Next_;
        Next_ = NewInstance(Path_, false);  // ready before this one is handed over
        return std::make_unique<TPipeStream>(Connected, true);
      }
      DisconnectNamedPipe(Next_);  // a client that came and went: use the instance again
    }
    return nullptr;
  }

  void Close() override { SetEvent(CloseEvent_.Get()); }

  static HANDLE NewInstance(const std::string& Path, bool First) {
    return CreateNamedPipeA(Path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (First ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, PipeBufferSize,
                            PipeBufferSize, 0, nullptr);
  }

 private:
  // Waits for a client on Next_; false when none came (closed, or failed).
  bool WaitConnected() {
    THandle Event(NewEvent());
    OVERLAPPED Overlapped{};
    Overlapped.hEvent = Event.Get();
    if (ConnectNamedPipe(Next_, &Overlapped)) return true;
    const DWORD Error = GetLastError();
    if (Error == ERROR_PIPE_CONNECTED) return true;
    if (Error != ERROR_IO_PENDING) return false;
    const HANDLE Waits[2] = {Event.Get(), CloseEvent_.Get()};
    const DWORD Woken = WaitForMultipleObjects(2, Waits, FALSE, INFINITE);
    if (Woken != WAIT_OBJECT_0) CancelIoEx(Next_, &Overlapped);
    DWORD Ignored = 0;
    return GetOverlappedResult(Next_, &Overlapped, &Ignored, TRUE) && Woken == WAIT_OBJECT_0;
  }

  std::string Path_;
  HANDLE Next_;
  THandle CloseEvent_;
};

// ---- loopback TCP ----

void StartWinsock() {
  static std::once_flag Once;
  std::call_once(Once, [] {
    WSADATA Data;
    WSAStartup(MAKEWORD(2, 2), &Data);
  });
}

sockaddr_in LoopbackAddress(uint16_t Port) {
  sockaddr_in Address{};
  Address.sin_family = AF_INET;
  Address.sin_port = htons(Port);
  Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return Address;
}

// Waits until Socket is readable (or writable); 1 ready, 0 time-out, -1 failure.
int WaitSocket(SOCKET Socket, bool Write, int TimeoutMs) {
  fd_set Set;
  FD_ZERO(&Set);
  FD_SET(Socket, &Set);
  timeval Time{TimeoutMs / 1000, (TimeoutMs % 1000) * 1000};
  const int Ready = select(0, Write ? nullptr : &Set, Write ? &Set : nullptr, nullptr, &Time);
  return Ready == SOCKET_ERROR ? -1 : Ready;
}

class TSocketStream final : public TTvxStream {
 public:
  explicit TSocketStream(SOCKET Socket) : Socket_(Socket) {}
  ~TSocketStream() override { closesocket(Socket_); }

  int ReadSome(void* Buffer, size_t Size, int TimeoutMs) override {
    if (!Wait(false, TimeoutMs)) return -1;
    const int Count = recv(Socket_, static_cast<char*>(Buffer), static_cast<int>(std::min<size_t>(Size, 1 << 20)), 0);
    return Count == SOCKET_ERROR ? -1 : Count;
  }

  bool WriteAll(const void* Buffer, size_t Size, int TimeoutMs) override {
    const auto* Bytes = static_cast<const char*>(Buffer);
    while (Size > 0) {
      if (!Wait(true, TimeoutMs)) return false;
      const int Count = send(Socket_, Bytes, static_cast<int>(std::min<size_t>(Size, 1 << 20)), 0);
      if (Count == SOCKET_ERROR || Count == 0) return false;
      Bytes += Count;
      Size -= static_cast<size_t>(Count);
    }
    return true;
  }

  bool HungUp() override {
    if (Shut_.load()) return true;
    const int Ready = WaitSocket(Socket_, false, 0);
    char Byte;
    return Ready < 0 || (Ready > 0 && recv(Socket_, &Byte, 1, MSG_PEEK) <= 0);
  }

  void Shutdown() override {
    Shut_.store(true);
    shutdown(Socket_, SD_BOTH);
  }

 private:
  // Waits in short slices so that Shutdown is noticed; false on time-out,
  // failure or shutdown.
  bool Wait(bool Write, int TimeoutMs) {
    constexpr int Slice = 100;
    for (int Waited = 0; TimeoutMs < 0 || Waited < TimeoutMs; Waited += Slice) {
      if (Shut_.load()) return false;
      const int Ready = WaitSocket(Socket_, Write, TimeoutMs < 0 ? Slice : std::min(Slice, TimeoutMs - Waited));
      if (Ready != 0) return Ready > 0 && !Shut_.load();
    }
    return false;
  }

  SOCKET Socket_;
  std::atomic<bool> Shut_{false};
};

class TSocketListener final : public TTvxListener {
 public:
  explicit TSocketListener(SOCKET Socket) : Socket_(Socket) {}
  ~TSocketListener() override { Close(); }

  std::unique_ptr<TTvxStream> Accept() override {
    for (;;) {
      const SOCKET Listening = Socket_.load();
      if (Listening == INVALID_SOCKET) return nullptr;
      const SOCKET Accepted = accept(Listening, nullptr, nullptr);
      if (Accepted != INVALID_SOCKET) return std::make_unique<TSocketStream>(Accepted);
      if (Socket_.load() == INVALID_SOCKET || WSAGetLastError() != WSAECONNRESET) return nullptr;
    }
  }

  void Close() override {
    const SOCKET Socket = Socket_.exchange(INVALID_SOCKET);
    if (Socket != INVALID_SOCKET) closesocket(Socket);  // wakes accept
  }

 private:
  std::atomic<SOCKET> Socket_;
};

std::string LastErrorText() {
  char Text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, Text,
                 sizeof Text - 1, nullptr);
  return Text;
}

}  // namespace

std::unique_ptr<TTvxStream> TvxConnectPipe(const std::string& Machine, const std::string& Pipe, int TimeoutMs) {
  if (Pipe.empty()) return nullptr;
  const std::string Path = PipePath(Machine, Pipe);
  // While every instance is busy (a server that stopped serving keeps them
  // so), the waits for a free one end together at the deadline; another
  // client may take the instance that a wait found free.
  const ULONGLONG Deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(TimeoutMs, 1));
  for (;;) {
    const HANDLE Handle = CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (Handle != INVALID_HANDLE_VALUE) return std::make_unique<TPipeStream>(Handle, false);
    const DWORD Error = GetLastError();
    const ULONGLONG Now = GetTickCount64();
    if (Error != ERROR_PIPE_BUSY || Now >= Deadline) return nullptr;
    if (!WaitNamedPipeA(Path.c_str(), static_cast<DWORD>(Deadline - Now))) return nullptr;
  }
}

std::unique_ptr<TTvxListener> TvxListenPipe(const std::string& Pipe, std::string& Error) {
  const std::string Path = PipePath(".", Pipe);
  // Another server on the name answers a client (or is busy); not every
  // Windows-alike refuses a second first instance by itself.
  const HANDLE Probe = CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (Probe != INVALID_HANDLE_VALUE || GetLastError() == ERROR_PIPE_BUSY) {
    if (Probe != INVALID_HANDLE_VALUE) CloseHandle(Probe);
    Error = "the pipe name is in use";
    return nullptr;
  }
  const HANDLE First = TPipeListener::NewInstance(Path, true);
  if (First == INVALID_HANDLE_VALUE) {
    Error = LastErrorText();
    return nullptr;
  }
  return std::make_unique<TPipeListener>(Path, First);
}

std::unique_ptr<TTvxListener> TvxListenLoopback(uint16_t Port, std::string& Error) {
  StartWinsock();
  const SOCKET Socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const BOOL On = TRUE;
  if (Socket != INVALID_SOCKET)
    setsockopt(Socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&On), sizeof On);
  const sockaddr_in Address = LoopbackAddress(Port);
  if (Socket == INVALID_SOCKET || bind(Socket, reinterpret_cast<const sockaddr*>(&Address), sizeof Address) != 0 ||
      listen(Socket, 64) != 0) {
    Error = "Windows Sockets error " + std::to_string(WSAGetLastError());
    if (Socket != INVALID_SOCKET) closesocket(Socket);
    return nullptr;
  }
  return std::make_unique<TSocketListener>(Socket);
}
