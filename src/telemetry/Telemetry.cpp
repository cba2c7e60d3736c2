// Telemetry: point addresses, the field number conversion and flag letters.
#include "telemetry/Telemetry.h"

#include <limits>

#include "common/UScan.h"
#include "platform/CodePage.h"

namespace {

// The scanner's numbers wrap around at 32 bits, so "4294967297.2.3" would
// read as channel 1 and a mistyped address would name a real point. Before
// the third number only blanks, signs and the two points stand, so the first
// three runs of digits are the three numbers: none of them may exceed 65535.
bool AddressNumbersFit(std::string_view Text) {
  int Runs = 0;
  for (size_t Pos = 0; Pos < Text.size() && Runs < 3;) {
    if (Text[Pos] < '0' || Text[Pos] > '9') {
      ++Pos;
      continue;
    }
    uint32_t Value = 0;
    for (; Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9'; ++Pos)
      if ((Value = Value * 10 + static_cast<uint32_t>(Text[Pos] - '0')) > 65535) return false;
    ++Runs;
  }
  return true;
}

}  // namespace

bool ParsePointAddress(std::string_view Text, TPointAddress& Address) {
  int32_t Channel = 0, Rtu = 0, Point = 0;
  if (ScanText(Text, "%d.%d.%d", {&Channel, &Rtu, &Point}) < 3) return false;
  if (!AddressNumbersFit(Text)) return false;
  if (Channel < 0 || Channel > 255 || Rtu < 1 || Rtu > 255 || Point < 1 || Point > 65535) return false;
  Address.Channel = static_cast<uint16_t>(Channel);
  Address.Rtu = static_cast<uint16_t>(Rtu);
  Address.Point = static_cast<uint16_t>(Point);
  return true;
}

bool ParsePointAddress(std::u16string_view Text, TPointAddress& Address) {
  return ParsePointAddress(Utf16ToAnsi(Text), Address);
}

namespace {

// The value of a hexadecimal or decimal digit, or -1.
int DigitValue(char C, int Base) {
  int Value = -1;
  if (C >= '0' && C <= '9') Value = C - '0';
  else if (C >= 'a' && C <= 'f') Value = C - 'a' + 10;
  else if (C >= 'A' && C <= 'F') Value = C - 'A' + 10;
  return Value < Base ? Value : -1;
}

// Steps over a hexadecimal prefix at Pos; the base the digits are in.
int TakeBase(std::string_view Text, size_t& Pos) {
  if (Pos < Text.size() && Text[Pos] == '$') {
    ++Pos;
    return 16;
  }
  if (Pos + 1 < Text.size() && Text[Pos] == '0' && (Text[Pos + 1] == 'x' || Text[Pos + 1] == 'X')) {
    Pos += 2;
    return 16;
  }
  return 10;
}

}  // namespace

bool IntTextValue(std::string_view Text, int32_t& Value) {
  size_t Pos = Text.find_first_not_of(' ');
  if (Pos == std::string_view::npos) return false;
  const bool Negative = Text[Pos] == '-';
  if (Text[Pos] == '-' || Text[Pos] == '+') ++Pos;
  const int Base = TakeBase(Text, Pos);
  if (Pos == Text.size()) return false;
  // One more than the largest magnitude that a negative number may have.
  constexpr int64_t Limit = int64_t{std::numeric_limits<int32_t>::max()} + 2;
  int64_t Magnitude = 0;
  for (; Pos < Text.size(); ++Pos) {
    const int Digit = DigitValue(Text[Pos], Base);
    if (Digit < 0) return false;
    Magnitude = Magnitude * Base + Digit;
    if (Magnitude >= Limit) return false;
  }
  const int64_t Signed = Negative ? -Magnitude : Magnitude;
  if (Signed > std::numeric_limits<int32_t>::max()) return false;
  Value = static_cast<int32_t>(Signed);
  return true;
}

namespace {

// Which kinds of point a flag letter is defined for.
enum : unsigned { ForStatus = 1, ForAnalog = 2, ForAccum = 4 };

struct TFlagLetter {
  char Letter;
  uint16_t Bit;
  unsigned Kinds;
};

constexpr TFlagLetter FlagLetters[] = {
    {'E', 0x0001, ForStatus | ForAnalog | ForAccum}, {'R', 0x0002, ForStatus | ForAnalog | ForAccum},
    {'M', 0x0008, ForStatus | ForAnalog | ForAccum}, {'Z', 0x0200, ForStatus | ForAnalog | ForAccum},
    {'N', 0x2000, ForStatus},                        {'U', 0x4000, ForStatus},
    {'1', 0x0010, ForStatus | ForAnalog},            {'2', 0x0020, ForStatus | ForAnalog},
    {'3', 0x0040, ForStatus | ForAnalog},            {'4', 0x0080, ForStatus | ForAnalog},
};

std::string FlagLettersFor(uint16_t Flags, unsigned Kind) {
  std::string Letters;
  for (const TFlagLetter& Entry : FlagLetters)
    if ((Entry.Kinds & Kind) != 0 && (Flags & Entry.Bit) != 0) Letters += Entry.Letter;
  return Letters;
}

}  // namespace

std::string StatusFlagLetters(uint16_t Flags) { return FlagLettersFor(Flags, ForStatus); }
std::string AnalogFlagLetters(uint16_t Flags) { return FlagLettersFor(Flags, ForAnalog); }
std::string AccumFlagLetters(uint16_t Flags) { return FlagLettersFor(Flags, ForAccum); }
