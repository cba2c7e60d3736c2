#include "posix/URegistrationMark.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

// The abstract address "\0HalvernStop-<pid>" and its length.
socklen_t MarkAddress(pid_t Pid, sockaddr_un& Address) {
  const std::string name = "HalvernStop-" + std::to_string(Pid);
  Address = sockaddr_un{};
  Address.sun_family = AF_UNIX;
  std::memcpy(Address.sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

int NewDatagramSocket() { return AboveStandardStreams(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)); }

}  // namespace

TRegistrationMark::TRegistrationMark() : Socket(NewDatagramSocket()) {
  if (Socket.Fd < 0) return;
  sockaddr_un address;
  const socklen_t size = MarkAddress(getpid(), address);
  (void)bind(Socket.Fd, reinterpret_cast<const sockaddr*>(&address), size);
}

bool IsRegistered(pid_t Pid) {
  const TDescriptor probe(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (probe.Fd < 0) return false;
  sockaddr_un address;
  const socklen_t size = MarkAddress(Pid, address);
  return connect(probe.Fd, reinterpret_cast<const sockaddr*>(&address), size) == 0;
}
