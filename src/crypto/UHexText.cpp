#include "crypto/UHexText.h"

std::string LowerHex(const uint8_t* Bytes, size_t Count) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string Hex;
  Hex.reserve(2 * Count);
  for (size_t Index = 0; Index < Count; ++Index) {
    Hex += Digits[Bytes[Index] >> 4];
    Hex += Digits[Bytes[Index] & 15];
  }
  return Hex;
}
