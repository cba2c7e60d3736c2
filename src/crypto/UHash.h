// UHash: the base of the gateway's digest algorithms, and the failure they
// raise when used before being started.
//
// A digest object is started, fed bytes, finished into a caller's area and
// then must be started again. The base answers "no algorithm" to every
// question so that a caller holding a plain THashAlgorithm learns nothing
// false about it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Raised when bytes are added to, or a digest is taken from, an object that
// has not been started.
struct EHashError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class THashAlgorithm {
 public:
  THashAlgorithm() = default;
  THashAlgorithm(const THashAlgorithm&) = delete;
  THashAlgorithm& operator=(const THashAlgorithm&) = delete;
  // Derived classes wipe their own state in their destructors: by the time
  // this one runs, their overrides are gone.
  virtual ~THashAlgorithm() = default;

  virtual int Id() const { return -1; }
  virtual std::string Algorithm() const { return {}; }
  // The digest size in bits.
  virtual int HashSize() const { return -1; }
  // Checks the algorithm against its standard's examples.
  virtual bool SelfTest() { return false; }

  virtual void DigestStart() {}
  // Digest must hold HashSize() / 8 bytes. The object is wiped afterwards.
  virtual void DigestFinish(uint8_t* /*Digest*/) {}
  virtual void DigestWipe() {}
  virtual void DigestAddBytes(const void* /*Buffer*/, uint32_t /*Count*/) {}

  // The text's bytes as they are, without a terminator.
  void DigestAddText(const std::string& Text);

  bool Initialized() const { return Initialized_; }

 protected:
  bool Initialized_ = false;
};
