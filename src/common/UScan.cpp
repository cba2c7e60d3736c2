// UScan: the formatted text scanner. See UScan.h for the contract.
#include "common/UScan.h"

#include <cstddef>

namespace {

// Characters skipped before a value and for a whitespace character of the format.
bool IsSkipSpace(unsigned char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r'; }

// Characters that end a %s value: the skipped ones plus vertical tab and form feed.
bool IsTextSeparator(unsigned char C) { return IsSkipSpace(C) || C == '\v' || C == '\f'; }

bool IsDigit(unsigned char C) { return C >= '0' && C <= '9'; }

// Both the text and the format end at their length or at their first NUL.
std::string_view UpToNul(std::string_view S) { return S.substr(0, S.find('\0')); }

// One scan in progress: the text with its read position, and the places.
class TScanner {
public:
  TScanner(std::string_view Text, std::initializer_list<TScanPlace> Places)
      : Text_(UpToNul(Text)), Place_(Places.begin()), PlaceEnd_(Places.end()) {}

  int Run(std::string_view Format);

private:
  enum class TStep { Go, Stop, NoPlace };

  bool TextUsedUp() const { return Pos_ >= Text_.size(); }
  unsigned char Peek() const { return static_cast<unsigned char>(Text_[Pos_]); }
  void SkipSpace() {
    while (!TextUsedUp() && IsSkipSpace(Peek())) ++Pos_;
  }

  TStep Literal(char C);
  TStep Conversion(char Letter);
  TStep Integer(int32_t* Place);
  TStep Word(std::string* Place);

  std::string_view Text_;
  size_t Pos_ = 0;
  const TScanPlace* Place_;
  const TScanPlace* PlaceEnd_;
  int Stored_ = 0;
};

int TScanner::Run(std::string_view Format) {
  Format = UpToNul(Format);
  size_t F = 0;
  while (F < Format.size()) {
    const unsigned char C = static_cast<unsigned char>(Format[F]);
    TStep Step;
    if (IsSkipSpace(C)) {
      SkipSpace();
      while (F < Format.size() && IsSkipSpace(static_cast<unsigned char>(Format[F]))) ++F;
      Step = TStep::Go;
    } else if (C == '%') {
      // A lone "%" at the end of the format has no conversion letter: the scan stops.
      Step = F + 1 < Format.size() ? Conversion(Format[F + 1]) : TStep::Stop;
      F += 2;
    } else {
      Step = Literal(static_cast<char>(C));
      ++F;
    }
    if (Step == TStep::NoPlace) return -2;
    if (Step == TStep::Stop || TextUsedUp()) break;
  }
  return Stored_;
}

TScanner::TStep TScanner::Literal(char C) {
  if (TextUsedUp() || Text_[Pos_] != C) return TStep::Stop;
  ++Pos_;
  return TStep::Go;
}

TScanner::TStep TScanner::Conversion(char Letter) {
  if (Letter == '%') return Literal('%');
  const bool IsInteger = Letter == 'd' || Letter == 'D';
  const bool IsText = Letter == 's' || Letter == 'S';
  if (!IsInteger && !IsText) return TStep::Stop;
  // A missing place, or one of the other kind, ends the scan like a missing one.
  if (Place_ == PlaceEnd_) return TStep::NoPlace;
  const TScanPlace& Place = *Place_++;
  if (IsInteger) {
    int32_t* const* Target = std::get_if<int32_t*>(&Place);
    return Target && *Target ? Integer(*Target) : TStep::NoPlace;
  }
  std::string* const* Target = std::get_if<std::string*>(&Place);
  return Target && *Target ? Word(*Target) : TStep::NoPlace;
}

TScanner::TStep TScanner::Integer(int32_t* Place) {
  SkipSpace();
  bool Negative = false;
  if (!TextUsedUp() && (Peek() == '+' || Peek() == '-')) {
    Negative = Peek() == '-';
    ++Pos_;
  }
  // Unsigned arithmetic wraps around on overflow, as the scanner promises.
  uint32_t Value = 0;
  const size_t First = Pos_;
  while (!TextUsedUp() && IsDigit(Peek())) {
    Value = Value * 10u + static_cast<uint32_t>(Peek() - '0');
    ++Pos_;
  }
  if (Pos_ == First) return TStep::Stop;
  if (Negative) Value = 0u - Value;
  *Place = static_cast<int32_t>(Value);
  ++Stored_;
  return TStep::Go;
}

TScanner::TStep TScanner::Word(std::string* Place) {
  SkipSpace();
  const size_t First = Pos_;
  while (!TextUsedUp() && !IsTextSeparator(Peek())) ++Pos_;
  if (Pos_ == First) return TStep::Stop;
  // The value is taken whole, however long.
  Place->assign(Text_.substr(First, Pos_ - First));
  ++Stored_;
  return TStep::Go;
}

}  // namespace

int ScanText(std::string_view Text, std::string_view Format, std::initializer_list<TScanPlace> Places) {
  return TScanner(Text, Places).Run(Format);
}
