// The PROXY protocol header of trusted proxies, and the address texts it
// and the settings are read with: one table of byte sequences each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/UAddressText.h"
#include "net/UProxyHeader.h"

namespace {

using TStatus = TProxyHeaderStatus;

const std::string Signature("\r\n\r\n\0\r\nQUIT\n", 12);

// A version 2 header: signature, version and command, family, the length
// of Block, then Block.
std::string V2(uint8_t VersionCommand, uint8_t Family, const std::string& Block) {
  std::string Bytes = Signature;
  Bytes += static_cast<char>(VersionCommand);
  Bytes += static_cast<char>(Family);
  Bytes += static_cast<char>(Block.size() >> 8);
  Bytes += static_cast<char>(Block.size() & 0xFF);
  return Bytes + Block;
}

// The address block of TCP over IPv4: 10.1.2.3:56324 to 127.0.0.1:979.
const std::string IPv4Block("\x0A\x01\x02\x03\x7F\x00\x00\x01\xDC\x04\x03\xD3", 12);

std::string V1Padded(std::size_t Length) {
  std::string Line = "PROXY UNKNOWN ";
  Line.resize(Length - 2, 'x');
  return Line + "\r\n";
}

struct TCase {
  const char* Name;
  std::string Bytes;
  TStatus Status;
  std::size_t Size;
  std::string Client;
};

const std::vector<TCase>& Cases() {
  static const std::vector<TCase> Table = {
      // Version 1.
      {"v1 TCP4", "PROXY TCP4 192.168.0.1 127.0.0.1 56324 979\r\n", TStatus::Complete, 44, "192.168.0.1"},
      {"v1 and the query after it", "PROXY TCP4 10.0.0.2 10.0.0.1 0 65535\r\n{\"query\":\"test\"}", TStatus::Complete, 38,
       "10.0.0.2"},
      {"v1 UNKNOWN", "PROXY UNKNOWN\r\n", TStatus::Complete, 15, ""},
      {"v1 UNKNOWN with addresses", "PROXY UNKNOWN 1.2.3.4 5.6.7.8 1 2\r\n", TStatus::Complete, 35, ""},
      {"v1 of 107 bytes", V1Padded(107), TStatus::Complete, 107, ""},
      {"v1 of 108 bytes", V1Padded(108), TStatus::Invalid, 0, ""},
      {"v1 TCP6", "PROXY TCP6 ::1 ::1 1 2\r\n", TStatus::Invalid, 0, ""},
      {"v1 short address", "PROXY TCP4 1.2.3 127.0.0.1 1 2\r\n", TStatus::Invalid, 0, ""},
      {"v1 leading zero", "PROXY TCP4 01.2.3.4 127.0.0.1 1 2\r\n", TStatus::Invalid, 0, ""},
      {"v1 bad target", "PROXY TCP4 1.2.3.4 127.0.0.256 1 2\r\n", TStatus::Invalid, 0, ""},
      {"v1 port too high", "PROXY TCP4 1.2.3.4 127.0.0.1 65536 2\r\n", TStatus::Invalid, 0, ""},
      {"v1 port missing", "PROXY TCP4 1.2.3.4 127.0.0.1 1\r\n", TStatus::Invalid, 0, ""},
      {"v1 two spaces", "PROXY TCP4  1.2.3.4 127.0.0.1 1 2\r\n", TStatus::Invalid, 0, ""},
      {"v1 trailing space", "PROXY TCP4 1.2.3.4 127.0.0.1 1 2 \r\n", TStatus::Invalid, 0, ""},
      {"v1 LF alone", "PROXY TCP4 1.2.3.4 127.0.0.1 1 2\n", TStatus::Invalid, 0, ""},
      {"v1 CR without LF", "PROXY TCP4 1.2.3.4 127.0.0.1 1 2\rX", TStatus::Invalid, 0, ""},
      {"v1 lower case", "proxy TCP4 1.2.3.4 127.0.0.1 1 2\r\n", TStatus::Invalid, 0, ""},
      {"a query", "{\"query\":\"test\"}", TStatus::Invalid, 0, ""},
      {"nothing yet", "", TStatus::Incomplete, 15, ""},
      {"v1 prefix", "PROX", TStatus::Incomplete, 11, ""},
      {"v1 halfway", "PROXY TCP4 1.2.3.4", TStatus::Incomplete, 2, ""},
      {"v1 before its LF", "PROXY TCP4 1.2.3.4 127.0.0.1 1 2\r", TStatus::Incomplete, 1, ""},
      {"v1 105 bytes without end", std::string("PROXY ") + std::string(99, 'x'), TStatus::Incomplete, 2, ""},
      {"v1 106 bytes without end", std::string("PROXY ") + std::string(100, 'x'), TStatus::Invalid, 0, ""},
      // Version 2.
      {"v2 TCP over IPv4", V2(0x21, 0x11, IPv4Block), TStatus::Complete, 28, "10.1.2.3"},
      {"v2 and the query after it", V2(0x21, 0x11, IPv4Block) + "{}", TStatus::Complete, 28, "10.1.2.3"},
      {"v2 with extensions", V2(0x21, 0x11, IPv4Block + std::string("\x04\x00\x02ok", 5)), TStatus::Complete, 33,
       "10.1.2.3"},
      {"v2 LOCAL", V2(0x20, 0x00, ""), TStatus::Complete, 16, ""},
      {"v2 LOCAL with addresses", V2(0x20, 0x11, IPv4Block), TStatus::Complete, 28, ""},
      {"v2 UNSPEC", V2(0x21, 0x00, ""), TStatus::Complete, 16, ""},
      {"v2 of the longest length", V2(0x21, 0x11, IPv4Block + std::string(2036, '\0')), TStatus::Complete, 2064,
       "10.1.2.3"},
      {"v2 too long", V2(0x21, 0x11, IPv4Block + std::string(2037, '\0')), TStatus::Invalid, 0, ""},
      {"v2 version 1", V2(0x11, 0x11, IPv4Block), TStatus::Invalid, 0, ""},
      {"v2 unknown command", V2(0x22, 0x11, IPv4Block), TStatus::Invalid, 0, ""},
      {"v2 TCP over IPv6", V2(0x21, 0x21, std::string(36, '\0')), TStatus::Invalid, 0, ""},
      {"v2 UDP over IPv4", V2(0x21, 0x12, IPv4Block), TStatus::Invalid, 0, ""},
      {"v2 IPv4 without transport", V2(0x21, 0x10, IPv4Block), TStatus::Invalid, 0, ""},
      {"v2 Unix", V2(0x21, 0x31, std::string(216, '\0')), TStatus::Invalid, 0, ""},
      {"v2 block too short", V2(0x21, 0x11, IPv4Block.substr(0, 8)), TStatus::Invalid, 0, ""},
      {"v2 bad signature", "\r\n\r\nX", TStatus::Invalid, 0, ""},
      {"v2 signature begun", "\r\n\r\n", TStatus::Incomplete, 12, ""},
      {"v2 fixed part only", V2(0x21, 0x11, IPv4Block).substr(0, 16), TStatus::Incomplete, 12, ""},
      {"v2 block begun", V2(0x21, 0x11, IPv4Block).substr(0, 20), TStatus::Incomplete, 8, ""},
  };
  return Table;
}

TEST(ProxyHeader, EachCaseOfTheTable) {
  for (const TCase& Case : Cases()) {
    SCOPED_TRACE(Case.Name);
    TProxyHeader Header = ParseProxyHeader(Case.Bytes);
    EXPECT_EQ(Header.Status, Case.Status);
    EXPECT_EQ(Header.Size, Case.Size);
    EXPECT_EQ(Header.Client, Case.Client);
  }
}

// Reading no more than each answer asks, byte by byte at worst, ends on the
// header's last byte and never on the query after it.
TEST(ProxyHeader, WhatIsAskedForNeverPassesTheHeader) {
  for (const std::string& Stream : {std::string("PROXY TCP4 10.0.0.2 10.0.0.1 1 2\r\n{}"),
                                    V2(0x21, 0x11, IPv4Block + std::string("\x04\x00\x01z", 4)) + "{}"}) {
    std::size_t Read = 0;
    TProxyHeader Header;
    while ((Header = ParseProxyHeader(Stream.substr(0, Read))).Status == TStatus::Incomplete) {
      Read += Header.Size;
      ASSERT_LE(Read, Stream.size() - 2);
    }
    EXPECT_EQ(Header.Status, TStatus::Complete);
    EXPECT_EQ(Read, Stream.size() - 2);
  }
}

TEST(AddressText, OnlyTheSocketInterfacesFormIsAnAddress) {
  const std::vector<std::pair<std::string, bool>> Table = {
      {"0.0.0.0", true},     {"127.0.0.1", true},   {"255.255.255.255", true}, {"10.20.30.40", true},
      {"", false},           {"1.2.3", false},      {"1.2.3.4.5", false},      {"1.2.3.4.", false},
      {".1.2.3", false},     {"1..2.3", false},     {"01.2.3.4", false},       {"1.2.3.256", false},
      {" 1.2.3.4", false},   {"1.2.3.4 ", false},   {"+1.2.3.4", false},       {"1.2.3.0x1", false},
      {"1000.2.3.4", false}, {"localhost", false},
  };
  for (const auto& [Text, Valid] : Table) {
    SCOPED_TRACE(Text);
    std::optional<TIPv4Bytes> Bytes = ParseIPv4Text(Text);
    EXPECT_EQ(Bytes.has_value(), Valid);
    if (Bytes) {
      EXPECT_EQ(IPv4Text(*Bytes), Text);
    }
  }
}

}  // namespace
