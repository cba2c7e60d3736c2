#include "crypto/UHmac.h"

#include <algorithm>

namespace {

constexpr size_t BlockBytes = 64;
using TBlock = std::array<uint8_t, BlockBytes>;

TMac Digest(const TBlock& Pad, const void* Bytes, size_t Count) {
  TSha256 Sha;
  Sha.DigestStart();
  Sha.DigestAddBytes(Pad.data(), BlockBytes);
  Sha.DigestAddBytes(Bytes, static_cast<uint32_t>(Count));
  TMac Result;
  Sha.DigestFinish(Result.data());
  return Result;
}

// The key as one block: its digest when longer than a block, zero-filled.
TBlock KeyBlock(std::string_view Key) {
  TBlock Block{};
  if (Key.size() > BlockBytes) {
    TSha256 Sha;
    Sha.DigestStart();
    Sha.DigestAddBytes(Key.data(), static_cast<uint32_t>(Key.size()));
    Sha.DigestFinish(Block.data());
  } else {
    std::copy(Key.begin(), Key.end(), Block.begin());
  }
  return Block;
}

TBlock Xored(TBlock Block, uint8_t Pad) {
  for (uint8_t& Byte : Block) Byte ^= Pad;
  return Block;
}

}  // namespace

TMac HmacSha256(std::string_view Key, std::string_view Message) {
  const TBlock Block = KeyBlock(Key);
  const TMac Inner = Digest(Xored(Block, 0x36), Message.data(), Message.size());
  return Digest(Xored(Block, 0x5C), Inner.data(), Inner.size());
}
