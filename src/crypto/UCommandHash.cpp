#include "crypto/UCommandHash.h"

#include "crypto/USha256.h"

std::string CommandHash(const std::string& AnsiKey, int64_t Timestamp) {
  TSha256 Sha;
  Sha.DigestStart();
  // The timestamp is written as its value, whatever form the client's
  // number text had.
  Sha.DigestAddText("!Rmq-tux@" + AnsiKey + "@" + std::to_string(Timestamp) + "!");
  uint8_t Digest[TSha256::DigestBytes];
  Sha.DigestFinish(Digest);
  static constexpr char Digits[] = "0123456789abcdef";
  std::string Hex;
  Hex.reserve(2 * sizeof Digest);
  for (uint8_t Byte : Digest) {
    Hex += Digits[Byte >> 4];
    Hex += Digits[Byte & 15];
  }
  return Hex;
}
