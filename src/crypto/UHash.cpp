#include "crypto/UHash.h"

#include <algorithm>

void THashAlgorithm::DigestAddText(const std::string& Text) {
  // Texts longer than 4 GiB are fed in pieces the byte count can carry.
  constexpr size_t MaxPiece = 0x80000000u;
  for (size_t Offset = 0; Offset < Text.size(); Offset += MaxPiece) {
    size_t Piece = std::min(MaxPiece, Text.size() - Offset);
    DigestAddBytes(Text.data() + Offset, static_cast<uint32_t>(Piece));
  }
}
