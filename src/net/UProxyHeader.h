// UProxyHeader: the PROXY protocol header that a trusted proxy (a TLS
// terminator such as stunnel or HAProxy) sends before its client's bytes,
// naming the client's address. Version 1 is a text line ("PROXY TCP4 ..."
// ending in CR LF, at most 107 bytes), version 2 a binary block behind a
// 12-byte signature. Only TCP over IPv4 names a client; version 2's LOCAL
// command and UNSPEC family, and version 1's UNKNOWN, leave the connection
// to the proxy's own address. Everything else is not a valid header.
// Pure, any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TProxyHeaderStatus {
  Incomplete,  // the bytes so far begin a header that may still be valid
  Invalid,     // they cannot begin a valid header, whatever follows
  Complete,    // they begin with a whole valid header
};

struct TProxyHeader {
  TProxyHeaderStatus Status = TProxyHeaderStatus::Incomplete;
  // Incomplete: how many more bytes surely belong to the header (at least
  // one), so that reading no more than that never takes a byte after it.
  // Complete: the header's length. Invalid: 0.
  std::size_t Size = 0;
  // Complete: the client's address text; empty when the header names none
  // and the connection counts as the proxy's own.
  std::string Client;
};

// The longest header of each version that is taken: version 1's own limit,
// and for version 2 room for the address block and the extensions that
// terminators add to it.
inline constexpr std::size_t ProxyV1MaxLength = 107;
inline constexpr std::size_t ProxyV2MaxLength = 16 + 2048;

// What the first bytes of a connection hold.
TProxyHeader ParseProxyHeader(std::string_view Bytes);
