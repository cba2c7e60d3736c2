// UJsonParse: the lenient parser. One pass over the text; one recursion
// level per nesting depth, bounded by MaxDepth, so a hostile text can cost
// neither stack nor time beyond its length.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "json/UJson.h"
#include "json/UJsonNumber.h"
#include "json/UJsonValue.h"

namespace {

// The top-level value is at depth 0; a value at this depth is refused.
constexpr int MaxDepth = 32;

// Where a value stands decides where an unquoted word ends.
enum class TPlace { Top, Array, Object };

bool IsBlank(char16_t C) { return C == u' ' || C == u'\t' || C == u'\n' || C == u'\f' || C == u'\r' || C == u'\b'; }

bool IsNumberChar(char16_t C) {
  return (C >= u'0' && C <= u'9') || C == u'+' || C == u'-' || C == u'.' || C == u'e' || C == u'E';
}

// A character that turns a complete keyword into the start of a word.
bool ContinuesWord(char16_t C) {
  return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z') || C == u'_' || C == u'.';
}

// Characters that cannot start an unquoted key ("}" closes the object).
bool IsKeyStop(char16_t C) { return std::u16string_view(u"(),.:[]{").find(C) != std::u16string_view::npos; }

class TJsonParser {
 public:
  explicit TJsonParser(std::u16string_view Text) : Pos_(Text.data()), End_(Text.data() + Text.size()) {}

  TJsonPtr ParseText() {
    TJsonPtr Value = ParseValue(0, TPlace::Top);
    if (!Value || !SkipBlanks(true)) return {};
    return Value;
  }

 private:
  bool AtEnd() const { return Pos_ == End_; }
  bool At(char16_t C) const { return Pos_ != End_ && *Pos_ == C; }

  // Skips blanks and comments. False for a "/" that opens no comment, and
  // for a "/*" comment left open unless OpenCommentEnds.
  bool SkipBlanks(bool OpenCommentEnds) {
    while (!AtEnd()) {
      if (IsBlank(*Pos_)) {
        ++Pos_;
        continue;
      }
      if (*Pos_ != u'/') return true;
      if (End_ - Pos_ < 2) return false;
      const char16_t Second = Pos_[1];
      Pos_ += 2;
      if (Second == u'/') {
        while (!AtEnd() && *Pos_ != u'\n') ++Pos_;
      } else if (Second != u'*') {
        return false;
      } else if (!SkipCommentBody()) {
        return OpenCommentEnds;
      }
    }
    return true;
  }

  // After "/*": the character after each "*" is taken with it, so only a
  // "/" right after a star that is not itself taken closes the comment.
  bool SkipCommentBody() {
    while (!AtEnd()) {
      if (*Pos_++ != u'*') continue;
      if (AtEnd()) return false;
      if (*Pos_++ == u'/') return true;
    }
    return false;
  }

  TJsonPtr ParseValue(int Depth, TPlace Place) {
    if (!SkipBlanks(false)) return {};
    while (At(u'(')) {
      ++Pos_;
      if (!SkipBlanks(false)) return {};
    }
    if (Depth >= MaxDepth) return {};
    if (AtEnd()) return ParseWord(Place);
    switch (*Pos_) {
      case u'"':
      case u'\'': {
        std::u16string Text;
        if (!ReadQuoted(Text)) return {};
        return MakeJson<std::u16string>(std::move(Text));
      }
      case u'{':
        return ParseObject(Depth);
      case u'[':
        return ParseArray(Depth);
      case u'n':
        return TakeKeyword(u"null") ? MakeJson<std::monostate>() : ParseWord(Place);
      case u't':
        return TakeKeyword(u"true") ? MakeJson<bool>(true) : ParseWord(Place);
      case u'f':
        return TakeKeyword(u"false") ? MakeJson<bool>(false) : ParseWord(Place);
      default:
        if (*Pos_ == u'-' || (*Pos_ >= u'0' && *Pos_ <= u'9')) return ParseNumber();
        return ParseWord(Place);
    }
  }

  // Moves past Keyword when the text holds it, letter case mattering, and
  // no letter, "_" or "." follows; otherwise stays where it was.
  bool TakeKeyword(std::u16string_view Keyword) {
    const char16_t* Start = Pos_;
    std::size_t Matched = 0;
    while (Matched < Keyword.size() && At(Keyword[Matched])) ++Pos_, ++Matched;
    if (Matched == Keyword.size() && (AtEnd() || !ContinuesWord(*Pos_))) return true;
    Pos_ = Start;
    return false;
  }

  TJsonPtr ParseNumber() {
    const char16_t* Start = Pos_++;
    while (!AtEnd() && IsNumberChar(*Pos_)) ++Pos_;
    return NumberFromText(std::u16string_view(Start, static_cast<std::size_t>(Pos_ - Start)));
  }

  // An unquoted word up to the "," or closing bracket of its container (at
  // the top level, up to the end), without trailing spaces, CRs and LFs
  // that were written as they stand.
  TJsonPtr ParseWord(TPlace Place) {
    const char16_t Close = Place == TPlace::Array ? u']' : u'}';
    std::u16string Text;
    std::size_t Kept = 0;
    for (;;) {
      if (AtEnd()) {
        if (Place != TPlace::Top) return {};
        break;
      }
      const char16_t C = *Pos_;
      if (Place != TPlace::Top && (C == u',' || C == Close)) break;
      ++Pos_;
      if (C == u'\\') {
        if (!ReadEscape(Text)) return {};
      } else {
        Text.push_back(C);
        if (C == u' ' || C == u'\r' || C == u'\n') continue;
      }
      Kept = Text.size();
    }
    Text.resize(Kept);
    return MakeJson<std::u16string>(std::move(Text));
  }

  // At the opening quote; the same character closes. Runs of plain
  // characters are copied whole.
  bool ReadQuoted(std::u16string& Text) {
    const char16_t Quote = *Pos_++;
    while (!AtEnd()) {
      const char16_t* Run = Pos_;
      while (Pos_ != End_ && *Pos_ != Quote && *Pos_ != u'\\') ++Pos_;
      Text.append(Run, Pos_);
      if (AtEnd()) break;
      if (*Pos_++ == Quote) return true;
      if (!ReadEscape(Text)) return false;
    }
    return false;
  }

  // After an unquoted key's first character position: up to the ":".
  bool ReadUnquotedKey(std::u16string& Key) {
    while (!AtEnd()) {
      const char16_t C = *Pos_++;
      if (C == u':') return true;
      if (C != u'\\') {
        Key.push_back(C);
      } else if (!ReadEscape(Key)) {
        return false;
      }
    }
    return false;
  }

  // After a backslash.
  bool ReadEscape(std::u16string& Text) {
    if (AtEnd()) return false;
    const char16_t C = *Pos_++;
    switch (C) {
      case u'b': Text.push_back(u'\b'); return true;
      case u'f': Text.push_back(u'\f'); return true;
      case u'n': Text.push_back(u'\n'); return true;
      case u'r': Text.push_back(u'\r'); return true;
      case u't': Text.push_back(u'\t'); return true;
      case u'u': return ReadHex(4, Text);
      case u'x': return ReadHex(2, Text);
      default: Text.push_back(C); return true;
    }
  }

  bool ReadHex(int Digits, std::u16string& Text) {
    unsigned Unit = 0;
    for (int I = 0; I < Digits; ++I) {
      const int Digit = AtEnd() ? -1 : HexDigit(*Pos_++);
      if (Digit < 0) return false;
      Unit = Unit * 16 + static_cast<unsigned>(Digit);
    }
    Text.push_back(static_cast<char16_t>(Unit));
    return true;
  }

  // A member's key and its ":"; false when the text is invalid there.
  bool ReadKey(std::u16string& Key) {
    if (*Pos_ != u'"' && *Pos_ != u'\'') return !IsKeyStop(*Pos_) && ReadUnquotedKey(Key);
    if (!ReadQuoted(Key) || !SkipBlanks(false) || !At(u':')) return false;
    ++Pos_;
    return true;
  }

  TJsonPtr ParseObject(int Depth) {
    ++Pos_;
    TJsonPtr Object = MakeJson<TJsonMemberTable>();
    TJsonMemberTable& Members = *JsonContent<TJsonMemberTable>(Object);
    if (!SkipBlanks(false)) return {};
    for (;;) {
      if (AtEnd()) return {};
      if (*Pos_ == u'}') break;  // empty object, or a "," before the "}"
      std::u16string Key;
      if (!ReadKey(Key)) return {};
      TJsonPtr Value = ParseValue(Depth + 1, TPlace::Object);
      if (!Value) return {};
      Members.Put(std::move(Key), std::move(Value));
      if (!SkipBlanks(false) || AtEnd()) return {};
      if (*Pos_ == u'}') break;
      if (*Pos_ != u',') return {};
      ++Pos_;
      if (!SkipBlanks(false)) return {};
    }
    ++Pos_;
    return Object;
  }

  TJsonPtr ParseArray(int Depth) {
    ++Pos_;
    TJsonPtr Array = NewArray();
    if (!SkipBlanks(false)) return {};
    if (At(u']')) {
      ++Pos_;
      return Array;
    }
    for (;;) {
      TJsonPtr Value = ParseValue(Depth + 1, TPlace::Array);
      if (!Value) return {};
      ArrayAppend(Array, std::move(Value));
      if (!SkipBlanks(false) || AtEnd()) return {};
      if (*Pos_ == u',') {
        ++Pos_;
        if (!SkipBlanks(false)) return {};
        if (!At(u']')) continue;  // else a "," before the "]" adds nothing
      } else if (*Pos_ != u']') {
        return {};
      }
      ++Pos_;
      return Array;
    }
  }

  const char16_t* Pos_;
  const char16_t* End_;
};

}  // namespace

TJsonPtr ParseJson(std::u16string_view Text) {
  return TJsonParser(Text.substr(0, Text.find(u'\0'))).ParseText();
}
