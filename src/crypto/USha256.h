// USha256: SHA-256 exactly as FIPS 180-4 defines it, over bytes.
//
// Used once per signed command: create, DigestStart, DigestAddText,
// DigestFinish, destroy. One object belongs to one thread at a time.
#pragma once

#include <array>
#include <cstdint>

#include "crypto/UHash.h"

class TSha256 final : public THashAlgorithm {
 public:
  static constexpr int DigestBytes = 32;

  ~TSha256() override;

  int Id() const override { return 28; }
  std::string Algorithm() const override { return "SHA256"; }
  int HashSize() const override { return 256; }
  bool SelfTest() override;

  void DigestStart() override;
  void DigestFinish(uint8_t* Digest) override;
  void DigestWipe() override;
  void DigestAddBytes(const void* Buffer, uint32_t Count) override;

 private:
  void Compress();

  std::array<uint32_t, 8> Hash_{};
  std::array<uint8_t, 64> Block_{};
  uint32_t BlockFill_ = 0;
  uint64_t LengthBits_ = 0;
};
