// HostName on Win32, through the Windows Sockets getaddrinfo.
#include "platform/HostName.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

bool ResolveHostIPv4(const std::string& Host, std::string& Address) {
  addrinfo Hints{};
  Hints.ai_family = AF_INET;
  Hints.ai_socktype = SOCK_STREAM;
  addrinfo* List = nullptr;
  if (getaddrinfo(Host.c_str(), nullptr, &Hints, &List) != 0 || List == nullptr) return false;
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> Hold(List, freeaddrinfo);
  char Text[INET_ADDRSTRLEN] = {};
  auto* Ipv4 = reinterpret_cast<sockaddr_in*>(List->ai_addr);
  if (inet_ntop(AF_INET, &Ipv4->sin_addr, Text, sizeof Text) == nullptr) return false;
  Address = Text;
  return true;
}
