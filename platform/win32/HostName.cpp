// HostName on Win32, through Windows Sockets 1.1 like the rest of the
// program's socket use.
#include "platform/HostName.h"

#include <winsock2.h>

#include <cstring>

bool ResolveHostIPv4(const std::string& Host, std::string& Address) {
  // The entry lives in this thread's own storage until its next call.
  const hostent* Entry = gethostbyname(Host.c_str());
  if (Entry == nullptr || Entry->h_addrtype != AF_INET || Entry->h_addr_list[0] == nullptr) return false;
  in_addr Ipv4;
  std::memcpy(&Ipv4, Entry->h_addr_list[0], sizeof Ipv4);
  Address = inet_ntoa(Ipv4);
  return true;
}
