#include "crypto/UHash.h"

#include <algorithm>

void THashAlgorithm::DigestAddText(const std::string& Text) {
  // Texts longer than 4 GiB are fed in pieces the byte count can carry.
  // An empty text still makes one call, so that an object not started
  // refuses it as it refuses any other.
  constexpr size_t MaxPiece = 0x80000000u;
  size_t Offset = 0;
  do {
    size_t Piece = std::min(MaxPiece, Text.size() - Offset);
    DigestAddBytes(Text.data() + Offset, static_cast<uint32_t>(Piece));
    Offset += Piece;
  } while (Offset < Text.size());
}
