#include "crypto/UCommandHash.h"

#include "crypto/UHexText.h"
#include "crypto/USha256.h"

std::string CommandHash(const std::string& AnsiKey, int64_t Timestamp) {
  TSha256 Sha;
  Sha.DigestStart();
  // The timestamp is written as its value, whatever form the client's
  // number text had.
  Sha.DigestAddText("!Rmq-tux@" + AnsiKey + "@" + std::to_string(Timestamp) + "!");
  uint8_t Digest[TSha256::DigestBytes];
  Sha.DigestFinish(Digest);
  return LowerHex(Digest, sizeof Digest);
}
