// UServiceNotify, POSIX: the service manager's notification protocol, one
// datagram per notification on the unix socket named by $NOTIFY_SOCKET
// ("@name" is the abstract socket "\0name").
#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "common/UServiceManager.h"
#include "posix/UDescriptor.h"

void NotifyServiceManager(const std::string& Text) {
  const char* path = std::getenv("NOTIFY_SOCKET");
  if (path == nullptr || *path == '\0') return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t length = std::strlen(path);
  if (length >= sizeof address.sun_path) return;
  std::memcpy(address.sun_path, path, length);
  if (path[0] == '@') address.sun_path[0] = '\0';
  const TDescriptor channel(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (channel.Fd < 0) return;
  const socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
  (void)sendto(channel.Fd, Text.data(), Text.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
               size);
}
