// libFuzzer target for the JSON parser and writer.
//
// Any input must give a value or nothing, without a crash, a leak or a read
// outside the text. A value that the parser gives must be written as text
// that parses again, and writing settles after one round: the text written
// from the re-parsed value parses to a value that writes the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "json/UJson.h"

namespace {

// The first byte picks how the rest becomes UTF-16: an even byte takes one
// code unit per byte (as from an 8-bit code page), an odd one takes
// little-endian byte pairs (any code unit, surrogates included).
std::u16string TextOf(const std::uint8_t* Data, std::size_t Size) {
  std::u16string Text;
  if (Size == 0) return Text;
  const bool Pairs = Data[0] & 1;
  for (std::size_t I = 1; I < Size; I += Pairs ? 2 : 1)
    Text.push_back(Pairs && I + 1 < Size ? static_cast<char16_t>(Data[I] | Data[I + 1] << 8) : Data[I]);
  return Text;
}

void Check(bool Condition) {
  if (!Condition) std::abort();
}

// Reads the top level's members and elements as the handlers would; every
// member that the walk visits is found again by its key.
void ReadAll(const TJsonPtr& Value) {
  std::size_t Members = 0;
  ForEachMember(Value, [&](std::u16string_view Key, const TJsonPtr& Member) {
    Check(GetField(Value, Key) == Member);
    (void)AsInteger(Member);
    ++Members;
  });
  Check(Members == MemberCount(Value));
  for (std::size_t I = 0; I < ArrayLength(Value); ++I) {
    const TJsonPtr Item = ArrayItem(Value, I);
    (void)AsInteger(Item);
    (void)AsText(Item);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const TJsonPtr Value = ParseJson(TextOf(Data, Size));
  if (!Value) return 0;
  ReadAll(Value);
  (void)AsInteger(Value);
  const TJsonPtr Again = ParseJson(ToJsonText(Value));
  Check(static_cast<bool>(Again));
  const std::u16string Settled = ToJsonText(Again);
  const TJsonPtr Third = ParseJson(Settled);
  Check(Third && ToJsonText(Third) == Settled);
  return 0;
}
