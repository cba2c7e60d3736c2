#include "net/UProxyHeader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/UAddressText.h"

namespace {

constexpr std::string_view V1Prefix = "PROXY ";
constexpr std::string_view V2Signature{"\r\n\r\n\0\r\nQUIT\n", 12};
// The shortest header of each version: "PROXY UNKNOWN\r\n", and version 2's
// fixed part (signature, version and command, family, length).
constexpr std::size_t V1MinLength = 15;
constexpr std::size_t V2FixedLength = 16;
// Version 2's address block of TCP over IPv4: two addresses, two ports.
constexpr std::size_t V2IPv4Length = 12;

// Version 2's commands and the families it names.
constexpr uint8_t V2Local = 0x0;
constexpr uint8_t V2Proxy = 0x1;
constexpr uint8_t V2Unspec = 0x00;
constexpr uint8_t V2TcpOverIPv4 = 0x11;

TProxyHeader Invalid() { return {TProxyHeaderStatus::Invalid, 0, {}}; }
TProxyHeader Wants(std::size_t More) { return {TProxyHeaderStatus::Incomplete, More, {}}; }
TProxyHeader Complete(std::size_t Size, std::string Client) {
  return {TProxyHeaderStatus::Complete, Size, std::move(Client)};
}

// True when Bytes and Prefix agree as far as both go.
bool Agrees(std::string_view Bytes, std::string_view Prefix) {
  std::size_t Common = std::min(Bytes.size(), Prefix.size());
  return Bytes.substr(0, Common) == Prefix.substr(0, Common);
}

std::vector<std::string_view> Fields(std::string_view Line) {
  std::vector<std::string_view> Result;
  for (std::size_t Space; (Space = Line.find(' ')) != std::string_view::npos; Line.remove_prefix(Space + 1)) {
    Result.push_back(Line.substr(0, Space));
  }
  Result.push_back(Line);
  return Result;
}

// The client that a version 1 line (without its CR LF) names: empty for
// UNKNOWN, whatever follows it; nothing when the line is not valid.
std::optional<std::string> V1Client(std::string_view Line) {
  std::vector<std::string_view> Parts = Fields(Line);
  if (Parts.size() >= 2 && Parts[1] == "UNKNOWN") return std::string();
  if (Parts.size() != 6 || Parts[1] != "TCP4") return std::nullopt;
  std::optional<TIPv4Bytes> Source = ParseIPv4Text(Parts[2]);
  if (!Source || !ParseIPv4Text(Parts[3])) return std::nullopt;
  if (!ParseDecimalText(Parts[4], 65535) || !ParseDecimalText(Parts[5], 65535)) return std::nullopt;
  return IPv4Text(*Source);
}

TProxyHeader ParseV1(std::string_view Bytes) {
  std::size_t End = Bytes.find('\r');
  if (Bytes.substr(0, End).find('\n') != std::string_view::npos) return Invalid();
  if (End == std::string_view::npos) {
    // The line still needs its CR LF, within the longest length.
    if (Bytes.size() + 2 > ProxyV1MaxLength) return Invalid();
    return Wants(std::max<std::size_t>(2, V1MinLength - std::min(Bytes.size(), V1MinLength)));
  }
  if (End + 2 > ProxyV1MaxLength) return Invalid();
  if (End + 1 == Bytes.size()) return Wants(1);
  if (Bytes[End + 1] != '\n') return Invalid();
  std::optional<std::string> Client = V1Client(Bytes.substr(0, End));
  return Client ? Complete(End + 2, *Client) : Invalid();
}

TProxyHeader ParseV2(std::string_view Bytes) {
  if (Bytes.size() < V2FixedLength) return Wants(V2FixedLength - Bytes.size());
  auto Byte = [Bytes](std::size_t Index) { return static_cast<uint8_t>(Bytes[Index]); };
  const uint8_t Version = Byte(12) >> 4;
  const uint8_t Command = Byte(12) & 0x0F;
  const uint8_t Family = Byte(13);
  const std::size_t Length = V2FixedLength + (static_cast<std::size_t>(Byte(14)) << 8 | Byte(15));
  if (Version != 2 || (Command != V2Local && Command != V2Proxy) || Length > ProxyV2MaxLength) return Invalid();
  // LOCAL: the proxy's own connection, whatever block it carries.
  const bool Named = Command == V2Proxy && Family != V2Unspec;
  if (Named && (Family != V2TcpOverIPv4 || Length < V2FixedLength + V2IPv4Length)) return Invalid();
  if (Bytes.size() < Length) return Wants(Length - Bytes.size());
  if (!Named) return Complete(Length, {});
  return Complete(Length, IPv4Text({Byte(16), Byte(17), Byte(18), Byte(19)}));
}

}  // namespace

TProxyHeader ParseProxyHeader(std::string_view Bytes) {
  if (Bytes.empty()) return Wants(V1MinLength);
  if (Agrees(Bytes, V1Prefix)) return ParseV1(Bytes);
  if (Agrees(Bytes, V2Signature)) return ParseV2(Bytes);
  return Invalid();
}
