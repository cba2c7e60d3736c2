#include "common/UAddressText.h"

#include <algorithm>

std::optional<unsigned> ParseDecimalText(std::string_view Text, unsigned Max) {
  if (Text.empty() || (Text.size() > 1 && Text[0] == '0')) return std::nullopt;
  unsigned Value = 0;
  for (char Digit : Text) {
    if (Digit < '0' || Digit > '9') return std::nullopt;
    Value = Value * 10 + static_cast<unsigned>(Digit - '0');
    if (Value > Max) return std::nullopt;
  }
  return Value;
}

std::optional<TIPv4Bytes> ParseIPv4Text(std::string_view Text) {
  TIPv4Bytes Bytes{};
  for (std::size_t Index = 0; Index < Bytes.size(); ++Index) {
    std::size_t Dot = Index + 1 < Bytes.size() ? Text.find('.') : Text.size();
    if (Dot == std::string_view::npos) return std::nullopt;
    std::optional<unsigned> Part = ParseDecimalText(Text.substr(0, Dot), 255);
    if (!Part) return std::nullopt;
    Bytes[Index] = static_cast<uint8_t>(*Part);
    Text.remove_prefix(std::min(Dot + 1, Text.size()));
  }
  return Bytes;
}

std::string IPv4Text(const TIPv4Bytes& Bytes) {
  std::string Text;
  for (uint8_t Byte : Bytes) {
    if (!Text.empty()) Text += '.';
    Text += std::to_string(Byte);
  }
  return Text;
}
