#include "crypto/USha256.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::array<uint32_t, 8> InitialHash = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
    0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr std::array<uint32_t, 64> RoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr uint32_t Rotr(uint32_t X, int N) { return (X >> N) | (X << (32 - N)); }

void RequireStarted(bool Initialized) {
  if (!Initialized) throw EHashError("Hash not initialized");
}

}  // namespace

TSha256::~TSha256() {
  if (Initialized_) DigestWipe();
}

void TSha256::DigestStart() {
  DigestWipe();
  Hash_ = InitialHash;
  Initialized_ = true;
}

void TSha256::DigestWipe() {
  // Volatile stores so that the compiler keeps the clearing of state that
  // is about to die; the state may have held a secret key's bytes.
  auto Clear = [](void* Area, size_t Size) {
    volatile uint8_t* Byte = static_cast<volatile uint8_t*>(Area);
    while (Size--) *Byte++ = 0;
  };
  Clear(Hash_.data(), sizeof Hash_);
  Clear(Block_.data(), sizeof Block_);
  BlockFill_ = 0;
  LengthBits_ = 0;
  Initialized_ = false;
}

void TSha256::DigestAddBytes(const void* Buffer, uint32_t Count) {
  RequireStarted(Initialized_);
  const uint8_t* Bytes = static_cast<const uint8_t*>(Buffer);
  LengthBits_ += static_cast<uint64_t>(Count) * 8;
  while (Count > 0) {
    uint32_t Piece = std::min<uint32_t>(Count, 64 - BlockFill_);
    std::memcpy(Block_.data() + BlockFill_, Bytes, Piece);
    BlockFill_ += Piece;
    Bytes += Piece;
    Count -= Piece;
    if (BlockFill_ == 64) Compress();
  }
}

void TSha256::DigestFinish(uint8_t* Digest) {
  RequireStarted(Initialized_);
  uint64_t LengthBits = LengthBits_;
  Block_[BlockFill_++] = 0x80;
  // No room left for the 8-byte length: it goes into one further block.
  if (BlockFill_ > 56) {
    std::fill(Block_.begin() + BlockFill_, Block_.end(), uint8_t{0});
    Compress();
  }
  std::fill(Block_.begin() + BlockFill_, Block_.begin() + 56, uint8_t{0});
  for (int Index = 0; Index < 8; ++Index) {
    Block_[63 - Index] = static_cast<uint8_t>(LengthBits >> (8 * Index));
  }
  Compress();
  for (int Word = 0; Word < 8; ++Word) {
    for (int Byte = 0; Byte < 4; ++Byte) {
      Digest[4 * Word + Byte] = static_cast<uint8_t>(Hash_[Word] >> (24 - 8 * Byte));
    }
  }
  DigestWipe();
}

void TSha256::Compress() {
  std::array<uint32_t, 64> W;
  for (int T = 0; T < 16; ++T) {
    W[T] = uint32_t{Block_[4 * T]} << 24 | uint32_t{Block_[4 * T + 1]} << 16 |
           uint32_t{Block_[4 * T + 2]} << 8 | uint32_t{Block_[4 * T + 3]};
  }
  for (int T = 16; T < 64; ++T) {
    uint32_t S0 = Rotr(W[T - 15], 7) ^ Rotr(W[T - 15], 18) ^ (W[T - 15] >> 3);
    uint32_t S1 = Rotr(W[T - 2], 17) ^ Rotr(W[T - 2], 19) ^ (W[T - 2] >> 10);
    W[T] = W[T - 16] + S0 + W[T - 7] + S1;
  }
  uint32_t A = Hash_[0], B = Hash_[1], C = Hash_[2], D = Hash_[3];
  uint32_t E = Hash_[4], F = Hash_[5], G = Hash_[6], H = Hash_[7];
  for (int T = 0; T < 64; ++T) {
    uint32_t T1 = H + (Rotr(E, 6) ^ Rotr(E, 11) ^ Rotr(E, 25)) + ((E & F) ^ (~E & G)) +
                  RoundConstants[T] + W[T];
    uint32_t T2 = (Rotr(A, 2) ^ Rotr(A, 13) ^ Rotr(A, 22)) + ((A & B) ^ (A & C) ^ (B & C));
    H = G;
    G = F;
    F = E;
    E = D + T1;
    D = C;
    C = B;
    B = A;
    A = T1 + T2;
  }
  Hash_[0] += A; Hash_[1] += B; Hash_[2] += C; Hash_[3] += D;
  Hash_[4] += E; Hash_[5] += F; Hash_[6] += G; Hash_[7] += H;
  BlockFill_ = 0;
}

bool TSha256::SelfTest() {
  struct TExample {
    std::string_view Message;
    std::array<uint8_t, DigestBytes> Digest;
  };
  static constexpr TExample Examples[] = {
      {"abc",
       {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
        0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad}},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       {0x24, 0x8d, 0x6a, 0x61, 0xd2, 0x06, 0x38, 0xb8, 0xe5, 0xc0, 0x26, 0x93, 0x0c, 0x3e, 0x60, 0x39,
        0xa3, 0x3c, 0xe4, 0x59, 0x64, 0xff, 0x21, 0x67, 0xf6, 0xec, 0xed, 0xd4, 0x19, 0xdb, 0x06, 0xc1}},
  };
  for (const TExample& Example : Examples) {
    std::array<uint8_t, DigestBytes> Digest;
    DigestStart();
    DigestAddBytes(Example.Message.data(), static_cast<uint32_t>(Example.Message.size()));
    DigestFinish(Digest.data());
    if (Digest != Example.Digest) return false;
  }
  return true;
}
