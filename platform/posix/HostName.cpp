// HostName on POSIX, through getaddrinfo.
#include "platform/HostName.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <memory>

bool ResolveHostIPv4(const std::string& Host, std::string& Address) {
  addrinfo Hints{};
  Hints.ai_family = AF_INET;
  Hints.ai_socktype = SOCK_STREAM;
  addrinfo* List = nullptr;
  if (getaddrinfo(Host.c_str(), nullptr, &Hints, &List) != 0 || List == nullptr) return false;
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> Hold(List, freeaddrinfo);
  char Text[INET_ADDRSTRLEN] = {};
  const auto* Ipv4 = reinterpret_cast<const sockaddr_in*>(List->ai_addr);
  if (inet_ntop(AF_INET, &Ipv4->sin_addr, Text, sizeof Text) == nullptr) return false;
  Address = Text;
  return true;
}
