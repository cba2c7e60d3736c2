// UTvxWire: the framed binary messages between the telvex library and
// telvexd. Every message is a 12-byte header (payload length, operation,
// status, sequence number; little-endian) and a payload that the
// operation lays out with TTvxWriter and reads back with TTvxReader.
//
// A request carries status 0; its answer repeats the operation and the
// sequence number, with status TvxOk or TvxFailed (a failed answer carries
// no payload). Pure data helpers: any thread, one object per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

enum class TTvxOp : uint16_t {
  Hello = 1,
  SystemTime,
  GetObjectName,
  GetObjectNameEx,
  GetObjectProperties,
  EnumObjects,
  GetStatusClassData,
  StatusByList,
  AnalogByList,
  AccumByList,
  AnalogFull,
  TakeRetroTit,
  Status,
  SetValues,
  SetStatusFlags,
  ClrStatusFlags,
  SetAnalog,
  SetAnalogFlags,
  RegEvent,
  GetCurrentElix,
  EventLogByElix,
  EventLogByIndex,
  Count_  // one past the last
};

// The library's name of an operation ("tvxStatusByList", "tvxConnect" for
// Hello); empty for a value outside the list.
std::string_view TvxOpName(TTvxOp Op);
// The operation of a library name; TTvxOp::Count_ when there is none.
TTvxOp TvxOpByName(std::string_view Name);

inline constexpr uint16_t TvxOk = 0;
inline constexpr uint16_t TvxFailed = 1;
// The largest payload either side accepts; a longer frame breaks the link.
inline constexpr uint32_t TvxMaxPayload = 4u << 20;
// First payload of Hello, both ways.
inline constexpr uint32_t TvxProtocolMagic = 0x31585654;  // "TVX1"

#pragma pack(push, 1)
struct TTvxFrameHeader {
  uint32_t Length;
  uint16_t Op;
  uint16_t Status;
  uint32_t Sequence;
};
#pragma pack(pop)
static_assert(sizeof(TTvxFrameHeader) == 12);

// Appends little-endian values to a payload.
class TTvxWriter {
 public:
  template <typename T>
  TTvxWriter& Put(const T& Value) {
    static_assert(std::is_trivially_copyable_v<T>);
    PutBytes(&Value, sizeof Value);
    return *this;
  }
  TTvxWriter& PutBytes(const void* Data, size_t Size) {
    if (Size == 0) return *this;
    const size_t At = Data_.size();
    Data_.resize(At + Size);
    std::memcpy(Data_.data() + At, Data, Size);
    return *this;
  }
  // A 32-bit length, then the bytes.
  TTvxWriter& PutText(std::string_view Text) {
    Put(static_cast<uint32_t>(Text.size()));
    return PutBytes(Text.data(), Text.size());
  }
  const std::vector<uint8_t>& Data() const { return Data_; }
  std::vector<uint8_t>& Data() { return Data_; }

 private:
  std::vector<uint8_t> Data_;
};

// Reads values back; a read past the end fails the reader for good (Ok()
// false) and gives zeros, so that a short payload is noticed once, at the
// end of its decoding.
class TTvxReader {
 public:
  TTvxReader(const uint8_t* Data, size_t Size) : Data_(Data), Size_(Size) {}
  explicit TTvxReader(const std::vector<uint8_t>& Data) : TTvxReader(Data.data(), Data.size()) {}

  template <typename T>
  T Get() {
    static_assert(std::is_trivially_copyable_v<T>);
    T Value{};
    GetBytes(&Value, sizeof Value);
    return Value;
  }
  bool GetBytes(void* Out, size_t Size) {
    if (Size == 0) return Ok_;
    if (!Ok_ || Size > Size_ - Pos_) {
      Ok_ = false;
      std::memset(Out, 0, Size);
      return false;
    }
    std::memcpy(Out, Data_ + Pos_, Size);
    Pos_ += Size;
    return true;
  }
  // A pointer to the next Size bytes (consumed), or null when too few.
  const uint8_t* Take(size_t Size) {
    if (!Ok_ || Size > Size_ - Pos_) {
      Ok_ = false;
      return nullptr;
    }
    const uint8_t* At = Data_ + Pos_;
    Pos_ += Size;
    return At;
  }
  std::string GetText() {
    const uint32_t Size = Get<uint32_t>();
    const uint8_t* At = Take(Size);
    return At ? std::string(reinterpret_cast<const char*>(At), Size) : std::string();
  }
  bool Ok() const { return Ok_; }
  // True when every byte was read and nothing failed.
  bool Done() const { return Ok_ && Pos_ == Size_; }

 private:
  const uint8_t* Data_;
  size_t Size_;
  size_t Pos_ = 0;
  bool Ok_ = true;
};
