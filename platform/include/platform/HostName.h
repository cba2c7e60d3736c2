// HostName: turns a host name given by a user into the dotted-decimal IPv4
// address that SocketConnect takes.
#pragma once

#include <string>

// The first IPv4 address of Host (a name or a dotted-decimal text); false,
// Address unchanged, when it has none. Win32: StartSockets must have run.
bool ResolveHostIPv4(const std::string& Host, std::string& Address);
