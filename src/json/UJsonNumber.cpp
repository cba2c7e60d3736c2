// UJsonNumber: number texts of the JSON unit.
#include "json/UJsonNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

#include "json/UJsonValue.h"

namespace {

constexpr std::int64_t CurrencyScale = 10000;
constexpr std::uint64_t Int64Magnitude = 9223372036854775808ull;  // 2^63

bool IsDigit(char16_t C) { return C >= u'0' && C <= u'9'; }

// Applies the sign to a magnitude, saturating at the 64-bit range.
std::int64_t Signed(bool Negative, std::uint64_t Magnitude) {
  if (Negative) {
    if (Magnitude >= Int64Magnitude) return std::numeric_limits<std::int64_t>::min();
    return -static_cast<std::int64_t>(Magnitude);
  }
  if (Magnitude >= Int64Magnitude) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(Magnitude);
}

// Magnitude * Base + Digit, or false on overflow of 64 unsigned bits.
bool Accumulate(std::uint64_t& Magnitude, unsigned Base, unsigned Digit) {
  if (Magnitude > (std::numeric_limits<std::uint64_t>::max() - Digit) / Base) return false;
  Magnitude = Magnitude * Base + Digit;
  return true;
}

// Leading decimal digits of Text from Pos on, saturating at 2^64 - 1.
std::uint64_t ReadDigits(std::u16string_view Text, std::size_t& Pos) {
  std::uint64_t Magnitude = 0;
  for (; Pos < Text.size() && IsDigit(Text[Pos]); ++Pos)
    if (!Accumulate(Magnitude, 10, Text[Pos] - u'0')) Magnitude = std::numeric_limits<std::uint64_t>::max();
  return Magnitude;
}

std::int64_t IntegerNumber(std::u16string_view Text) {
  std::size_t Pos = 0;
  const bool Negative = !Text.empty() && Text[0] == u'-';
  if (Negative) ++Pos;
  return Signed(Negative, ReadDigits(Text, Pos));
}

// REQUIRES: Text holds a "." with at most four digits after it.
std::int64_t CurrencyUnits(std::u16string_view Text) {
  std::size_t Pos = 0;
  const bool Negative = Text[0] == u'-';
  if (Negative) ++Pos;
  std::uint64_t Magnitude = ReadDigits(Text, Pos);
  bool Fits = Magnitude <= std::numeric_limits<std::uint64_t>::max() / CurrencyScale;
  Magnitude *= CurrencyScale;
  if (Pos < Text.size() && Text[Pos] == u'.') ++Pos;
  std::uint64_t Place = CurrencyScale / 10;
  for (; Pos < Text.size() && IsDigit(Text[Pos]) && Place > 0; ++Pos, Place /= 10)
    Fits = Fits && Accumulate(Magnitude, 1, (Text[Pos] - u'0') * Place);
  return Signed(Negative, Fits ? Magnitude : std::numeric_limits<std::uint64_t>::max());
}

// Where from_chars reports a value out of range: the decimal exponent of
// the leading significant digit tells overflow (the largest finite double,
// so that the value can still be written as a number) from underflow (0).
double OutOfRange(std::string_view Text) {
  const bool Negative = !Text.empty() && Text[0] == '-';
  long IntegerDigits = 0;
  long FractionZeros = 0;
  bool Point = false;
  bool Found = false;
  std::size_t Pos = Negative ? 1 : 0;
  for (; Pos < Text.size() && Text[Pos] != 'e' && Text[Pos] != 'E'; ++Pos) {
    const char C = Text[Pos];
    if (C == '.') {
      Point = true;
    } else if (!Point) {
      Found = Found || C != '0';
      IntegerDigits += Found;
    } else if (!Found) {
      Found = C != '0';
      FractionZeros += !Found;
    }
  }
  long Exponent = 0;
  bool ExponentNegative = false;
  if (++Pos < Text.size() && (Text[Pos] == '-' || Text[Pos] == '+')) ExponentNegative = Text[Pos++] == '-';
  for (; Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9'; ++Pos)
    Exponent = std::min(Exponent * 10 + (Text[Pos] - '0'), 1000000000L);
  const long Lead = (IntegerDigits > 0 ? IntegerDigits - 1 : -(FractionZeros + 1)) + (ExponentNegative ? -Exponent : Exponent);
  const double Magnitude = Found && Lead > 0 ? std::numeric_limits<double>::max() : 0.0;
  return Negative ? -Magnitude : Magnitude;
}

double DoubleNumber(std::u16string_view Text) {
  std::string Ascii(Text.begin(), Text.end());  // number texts are ASCII
  double Value = 0;
  const auto Result = std::from_chars(Ascii.data(), Ascii.data() + Ascii.size(), Value);
  if (Result.ec == std::errc::result_out_of_range) return OutOfRange(Ascii);
  return Result.ec == std::errc() ? Value : 0.0;
}

void AppendAscii(std::u16string& Out, const char* First, const char* Last) { Out.append(First, Last); }

void AppendDigits(std::u16string& Out, std::uint64_t Value) {
  char Buffer[24];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
  AppendAscii(Out, Buffer, Result.ptr);
}

// Appends Digits without its trailing zeros.
void AppendTrimmed(std::u16string& Out, std::string_view Digits) {
  const std::size_t Last = Digits.find_last_not_of('0');
  if (Last != std::string_view::npos) AppendAscii(Out, Digits.data(), Digits.data() + Last + 1);
}

}  // namespace

int HexDigit(char16_t C) {
  if (IsDigit(C)) return C - u'0';
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  return -1;
}

TJsonPtr NumberFromText(std::u16string_view Text) {
  const std::size_t Point = Text.find(u'.');
  const bool HasExponent = Text.find_first_of(u"eE") != std::u16string_view::npos;
  if (Point == std::u16string_view::npos && !HasExponent) return MakeJson<std::int64_t>(IntegerNumber(Text));
  if (!HasExponent) {
    std::size_t FractionDigits = 0;
    for (std::size_t Pos = Point + 1; Pos < Text.size(); ++Pos) FractionDigits += IsDigit(Text[Pos]);
    if (FractionDigits <= 4) return MakeJson<TJsonCurrency>(TJsonCurrency{CurrencyUnits(Text)});
  }
  return MakeJson<double>(DoubleNumber(Text));
}

std::int64_t IntegerFromText(std::u16string_view Text) {
  std::size_t Pos = Text.find_first_not_of(u' ');
  if (Pos == std::u16string_view::npos) return 0;
  const bool Negative = Text[Pos] == u'-';
  if (Negative || Text[Pos] == u'+') ++Pos;
  unsigned Base = 10;
  if (Text.substr(Pos, 1) == u"$") {
    Base = 16;
    Pos += 1;
  } else if (Text.substr(Pos, 2) == u"0x") {
    Base = 16;
    Pos += 2;
  }
  if (Pos == Text.size()) return 0;
  std::uint64_t Magnitude = 0;
  for (; Pos < Text.size(); ++Pos) {
    const int Digit = Base == 16 ? HexDigit(Text[Pos]) : (IsDigit(Text[Pos]) ? Text[Pos] - u'0' : -1);
    if (Digit < 0 || !Accumulate(Magnitude, Base, static_cast<unsigned>(Digit))) return 0;
  }
  if (Base == 16) {
    // Sixteen hexadecimal digits fill the 64 bits, the top one as the sign.
    const std::uint64_t Bits = Negative ? 0 - Magnitude : Magnitude;
    return static_cast<std::int64_t>(Bits);
  }
  if (Magnitude > (Negative ? Int64Magnitude : Int64Magnitude - 1)) return 0;
  return Signed(Negative, Magnitude);
}

std::int64_t RoundDouble(double Value) {
  if (std::isnan(Value)) return 0;
  double Whole = std::trunc(Value);
  const double Rest = Value - Whole;  // exact: Whole is Value without its fraction bits
  const double Step = Value < 0 ? -1.0 : 1.0;
  if (std::fabs(Rest) > 0.5 || (std::fabs(Rest) == 0.5 && std::fmod(Whole, 2.0) != 0)) Whole += Step;
  if (Whole >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
  if (Whole < -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(Whole);
}

std::int64_t RoundCurrency(std::int64_t Units) {
  std::int64_t Quotient = Units / CurrencyScale;
  const std::int64_t Rest = Units % CurrencyScale;  // has the sign of Units
  const std::int64_t Half = CurrencyScale / 2;
  const bool Odd = Quotient % 2 != 0;
  if (Rest > Half || (Rest == Half && Odd)) ++Quotient;
  if (Rest < -Half || (Rest == -Half && Odd)) --Quotient;
  return Quotient;
}

void AppendInteger(std::u16string& Out, std::int64_t Value) {
  if (Value < 0) Out.push_back(u'-');
  AppendDigits(Out, Value < 0 ? 0 - static_cast<std::uint64_t>(Value) : static_cast<std::uint64_t>(Value));
}

void AppendCurrency(std::u16string& Out, std::int64_t Units) {
  if (Units == 0) {
    Out.push_back(u'0');
    return;
  }
  if (Units < 0) Out.push_back(u'-');
  const std::uint64_t Magnitude = Units < 0 ? 0 - static_cast<std::uint64_t>(Units) : static_cast<std::uint64_t>(Units);
  AppendDigits(Out, Magnitude / CurrencyScale);
  Out.push_back(u'.');
  const auto Fraction = static_cast<unsigned>(Magnitude % CurrencyScale);
  const char Digits[4] = {char('0' + Fraction / 1000), char('0' + Fraction / 100 % 10), char('0' + Fraction / 10 % 10),
                          char('0' + Fraction % 10)};
  AppendTrimmed(Out, std::string_view(Digits, 4));
}

void AppendDouble(std::u16string& Out, double Value) {
  if (!std::isfinite(Value)) {
    Out += u"null";
    return;
  }
  if (std::signbit(Value)) Out.push_back(u'-');
  if (Value == 0) {
    Out += u"0.";
    return;
  }
  // d.dddddddddddddde±x: the value rounded to 15 significant digits.
  char Buffer[40];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, std::fabs(Value), std::chars_format::scientific, 14);
  const std::string_view Text(Buffer, static_cast<std::size_t>(Result.ptr - Buffer));
  const std::size_t E = Text.find('e');
  char Digits[15];
  Digits[0] = Text[0];
  Text.copy(Digits + 1, 14, 2);
  int Exponent = 0;
  std::from_chars(Text.data() + E + 1 + (Text[E + 1] == '+'), Text.data() + Text.size(), Exponent);
  const std::string_view All(Digits, 15);
  if (Exponent < -1 || Exponent > 14) {
    Out.push_back(static_cast<char16_t>(Digits[0]));
    Out.push_back(u'.');
    AppendTrimmed(Out, All.substr(1));
    Out += Exponent < 0 ? u"e-" : u"e+";
    const unsigned Magnitude = static_cast<unsigned>(Exponent < 0 ? -Exponent : Exponent);
    if (Magnitude < 100) Out.push_back(u'0');
    if (Magnitude < 10) Out.push_back(u'0');
    AppendDigits(Out, Magnitude);
  } else if (Exponent == -1) {
    Out += u"0.";
    AppendTrimmed(Out, All);
  } else {
    const auto Whole = static_cast<std::size_t>(Exponent) + 1;
    AppendAscii(Out, Digits, Digits + Whole);
    Out.push_back(u'.');
    AppendTrimmed(Out, All.substr(Whole));
  }
}
