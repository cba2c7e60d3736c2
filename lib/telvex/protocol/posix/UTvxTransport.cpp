// POSIX streams: a Unix domain socket in the abstract namespace for the
// pipe, TCP on 127.0.0.1 for the admin interface; both are descriptors.
#include "protocol/UTvxTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

class TFdStream final : public TTvxStream {
 public:
  explicit TFdStream(int Fd) : Fd_(Fd) {}
  ~TFdStream() override { ::close(Fd_); }

  int ReadSome(void* Buffer, size_t Size, int TimeoutMs) override {
    while (!Shut_.load()) {
      pollfd Poll{Fd_, POLLIN, 0};
      const int Ready = ::poll(&Poll, 1, TimeoutMs);
      if (Ready < 0 && errno == EINTR) continue;
      if (Ready <= 0) return -1;
      const ssize_t Count = ::recv(Fd_, Buffer, Size, 0);
      if (Count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      return Count < 0 || Shut_.load() ? -1 : static_cast<int>(Count);
    }
    return -1;
  }

  bool WriteAll(const void* Buffer, size_t Size, int TimeoutMs) override {
    const auto* Bytes = static_cast<const uint8_t*>(Buffer);
    while (Size > 0) {
      if (Shut_.load()) return false;
      pollfd Poll{Fd_, POLLOUT, 0};
      const int Ready = ::poll(&Poll, 1, TimeoutMs);
      if (Ready < 0 && errno == EINTR) continue;
      if (Ready <= 0) return false;
      const ssize_t Count = ::send(Fd_, Bytes, Size, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (Count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (Count <= 0) return false;
      Bytes += Count;
      Size -= static_cast<size_t>(Count);
    }
    return true;
  }

  bool HungUp() override {
    if (Shut_.load()) return true;
    pollfd Poll{Fd_, POLLIN | POLLRDHUP, 0};
    if (::poll(&Poll, 1, 0) <= 0) return false;
    if (Poll.revents & (POLLHUP | POLLERR | POLLRDHUP | POLLNVAL)) return true;
    char Byte;
    // Readable: an answer is waiting (alive) or the peer closed (0 bytes).
    return ::recv(Fd_, &Byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
  }

  void Shutdown() override {
    Shut_.store(true);
    ::shutdown(Fd_, SHUT_RDWR);
  }

 private:
  int Fd_;
  std::atomic<bool> Shut_{false};
};

class TFdListener final : public TTvxListener {
 public:
  explicit TFdListener(int Fd) : Fd_(Fd) {}
  ~TFdListener() override { ::close(Fd_); }

  std::unique_ptr<TTvxStream> Accept() override {
    while (!Closed_.load()) {
      const int Fd = ::accept(Fd_, nullptr, nullptr);
      if (Fd >= 0) {
        if (!Closed_.load()) return std::make_unique<TFdStream>(Fd);
        ::close(Fd);
        break;
      }
      if (errno != EINTR && errno != ECONNABORTED && errno != EMFILE && errno != ENFILE) break;
      if (errno == EMFILE || errno == ENFILE) ::usleep(100000);  // let connections close
    }
    return nullptr;
  }

  void Close() override {
    Closed_.store(true);
    ::shutdown(Fd_, SHUT_RDWR);  // wakes accept on Linux
  }

 private:
  int Fd_;
  std::atomic<bool> Closed_{false};
};

// The abstract-namespace address of pipe Name.
socklen_t PipeAddress(const std::string& Name, sockaddr_un& Address) {
  std::memset(&Address, 0, sizeof Address);
  Address.sun_family = AF_UNIX;
  const std::string Path = "telvex." + Name;
  const size_t Size = std::min(Path.size(), sizeof Address.sun_path - 1);
  std::memcpy(Address.sun_path + 1, Path.data(), Size);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + Size);
}

sockaddr_in LoopbackAddress(uint16_t Port) {
  sockaddr_in Address{};
  Address.sin_family = AF_INET;
  Address.sin_port = htons(Port);
  Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return Address;
}

bool IsThisMachine(const std::string& Machine) {
  if (Machine.empty() || Machine == "." || Machine == "localhost" || Machine == "127.0.0.1") return true;
  char Host[256] = {};
  return ::gethostname(Host, sizeof Host - 1) == 0 && Machine == Host;
}

bool SetSendTimeout(int Fd, int TimeoutMs) {
  timeval Limit{};
  Limit.tv_sec = TimeoutMs / 1000;
  Limit.tv_usec = (TimeoutMs % 1000) * 1000;
  return ::setsockopt(Fd, SOL_SOCKET, SO_SNDTIMEO, &Limit, sizeof Limit) == 0;
}

// Connects Fd to Address, waiting at most TimeoutMs (at least 1 ms) for a
// server whose queue of connections is full; closes Fd on failure. A
// non-blocking connect of a Unix domain socket fails at once with EAGAIN
// then, so poll has nothing to wait for; a blocking one waits for room in
// the queue for as long as the socket's send time-out allows, so that
// time-out bounds it, and is cleared again afterwards.
std::unique_ptr<TTvxStream> ConnectWithin(int Fd, const sockaddr* Address, socklen_t Size, int TimeoutMs) {
  if (Fd < 0) return nullptr;
  if (!SetSendTimeout(Fd, std::max(TimeoutMs, 1)) || ::connect(Fd, Address, Size) != 0 || !SetSendTimeout(Fd, 0)) {
    ::close(Fd);
    return nullptr;
  }
  return std::make_unique<TFdStream>(Fd);
}

std::unique_ptr<TTvxListener> Listen(int Fd, const sockaddr* Address, socklen_t Size, std::string& Error) {
  if (Fd < 0 || ::bind(Fd, Address, Size) != 0 || ::listen(Fd, 64) != 0) {
    Error = std::strerror(errno);
    if (Fd >= 0) ::close(Fd);
    return nullptr;
  }
  return std::make_unique<TFdListener>(Fd);
}

}  // namespace

std::unique_ptr<TTvxStream> TvxConnectPipe(const std::string& Machine, const std::string& Pipe, int TimeoutMs) {
  if (!IsThisMachine(Machine) || Pipe.empty()) return nullptr;
  sockaddr_un Address;
  const socklen_t Size = PipeAddress(Pipe, Address);
  return ConnectWithin(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0), reinterpret_cast<sockaddr*>(&Address), Size,
                       TimeoutMs);
}

std::unique_ptr<TTvxListener> TvxListenPipe(const std::string& Pipe, std::string& Error) {
  sockaddr_un Address;
  const socklen_t Size = PipeAddress(Pipe, Address);
  return Listen(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0), reinterpret_cast<sockaddr*>(&Address), Size,
                Error);
}

std::unique_ptr<TTvxListener> TvxListenLoopback(uint16_t Port, std::string& Error) {
  const int Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int On = 1;
  if (Fd >= 0) ::setsockopt(Fd, SOL_SOCKET, SO_REUSEADDR, &On, sizeof On);
  const sockaddr_in Address = LoopbackAddress(Port);
  return Listen(Fd, reinterpret_cast<const sockaddr*>(&Address), sizeof Address, Error);
}
