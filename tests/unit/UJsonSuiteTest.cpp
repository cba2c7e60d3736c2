// UJson against the JSONTestSuite parsing cases (tests/data).
//
// Feeding: each file's bytes are decoded as UTF-8 to UTF-16 (code points
// above U+FFFF as surrogate pairs); every byte of an invalid or overlong
// sequence becomes U+FFFD, as a code page conversion maps a byte it cannot
// read to a replacement character. Both the parser and the strict reference
// reader below get the same decoded text. The decoder is this test's own,
// not the platform's Utf8ToUtf16: the recorded leniency below holds only
// for one decoding, and the Win32 one is the host's, which replaces
// ill-formed sequences differently.
//
// y_ files: the parser must give exactly what the strict reader reads:
// the same structure, texts and members (the later of two equal keys),
// numbers by this parser's kinds (no ".", "e", "E": integer; a "." with at
// most four digits after it: currency; others: double) with equal values.
//
// n_ and i_ files: the lenient rules accept many of them on purpose. Which
// ones is fixed in AcceptedByLenientRules; a change of leniency either way
// fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "json/UJson.h"

#ifndef VL_JSON_SUITE_DIR
#error VL_JSON_SUITE_DIR must name the test_parsing folder
#endif

namespace {

namespace fs = std::filesystem;

// ---- Reading the files -----------------------------------------------------

std::string ReadBytes(const fs::path& Path) {
  std::ifstream File(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

// Length and code point of the UTF-8 sequence at Pos, or 0 when invalid.
std::size_t Utf8Sequence(std::string_view Bytes, std::size_t Pos, char32_t& Point) {
  const auto Lead = static_cast<unsigned char>(Bytes[Pos]);
  std::size_t Length = 0;
  char32_t Min = 0;
  if (Lead < 0x80) {
    Point = Lead;
    return 1;
  }
  if ((Lead & 0xE0) == 0xC0) Length = 2, Min = 0x80, Point = Lead & 0x1F;
  else if ((Lead & 0xF0) == 0xE0) Length = 3, Min = 0x800, Point = Lead & 0x0F;
  else if ((Lead & 0xF8) == 0xF0) Length = 4, Min = 0x10000, Point = Lead & 0x07;
  else return 0;
  if (Pos + Length > Bytes.size()) return 0;
  for (std::size_t I = 1; I < Length; ++I) {
    const auto Next = static_cast<unsigned char>(Bytes[Pos + I]);
    if ((Next & 0xC0) != 0x80) return 0;
    Point = (Point << 6) | (Next & 0x3F);
  }
  if (Point < Min || Point > 0x10FFFF || (Point >= 0xD800 && Point <= 0xDFFF)) return 0;
  return Length;
}

std::u16string DecodeUtf8(std::string_view Bytes) {
  std::u16string Text;
  for (std::size_t Pos = 0; Pos < Bytes.size();) {
    char32_t Point = 0;
    const std::size_t Length = Utf8Sequence(Bytes, Pos, Point);
    if (Length == 0) {
      Text.push_back(u'\uFFFD');
      ++Pos;
      continue;
    }
    Pos += Length;
    if (Point < 0x10000) {
      Text.push_back(static_cast<char16_t>(Point));
    } else {
      Text.push_back(static_cast<char16_t>(0xD800 + ((Point - 0x10000) >> 10)));
      Text.push_back(static_cast<char16_t>(0xDC00 + ((Point - 0x10000) & 0x3FF)));
    }
  }
  return Text;
}

// ---- Strict reference reader (RFC 8259) ------------------------------------
// It refuses nesting deeper than MaxReferenceDepth, only to keep its own
// recursion within the stack on the 100 000-bracket file.

constexpr int MaxReferenceDepth = 1000;

struct TRef {
  enum TKind { Null, Boolean, Number, String, Array, Object } Kind = Null;
  bool Truth = false;
  std::u16string Text;  // a string's text or a number's text
  std::vector<TRef> Items;
  std::vector<std::pair<std::u16string, TRef>> Members;  // in text order, duplicates kept
};

class TStrictReader {
 public:
  explicit TStrictReader(std::u16string_view Text) : Text_(Text) {}

  std::optional<TRef> Read() {
    TRef Value;
    SkipSpace();
    if (!ReadValue(Value)) return std::nullopt;
    SkipSpace();
    if (Pos_ != Text_.size()) return std::nullopt;
    return Value;
  }

 private:
  bool More() const { return Pos_ < Text_.size(); }
  bool Take(char16_t C) {
    if (!More() || Text_[Pos_] != C) return false;
    ++Pos_;
    return true;
  }
  bool TakeWord(std::u16string_view Word) {
    if (Text_.substr(Pos_, Word.size()) != Word) return false;
    Pos_ += Word.size();
    return true;
  }
  void SkipSpace() {
    while (More() && (Text_[Pos_] == u' ' || Text_[Pos_] == u'\t' || Text_[Pos_] == u'\n' || Text_[Pos_] == u'\r'))
      ++Pos_;
  }
  bool Digit() const { return More() && Text_[Pos_] >= u'0' && Text_[Pos_] <= u'9'; }
  bool Digits() {
    if (!Digit()) return false;
    while (Digit()) ++Pos_;
    return true;
  }

  bool ReadValue(TRef& Value) {
    if (!More() || Depth_ > MaxReferenceDepth) return false;
    const char16_t C = Text_[Pos_];
    if (C == u'{' || C == u'[') {
      ++Depth_;
      const bool Read = C == u'{' ? ReadObject(Value) : ReadArray(Value);
      --Depth_;
      return Read;
    }
    if (C == u'"') return Value.Kind = TRef::String, ReadString(Value.Text);
    if (TakeWord(u"null")) return Value.Kind = TRef::Null, true;
    if (TakeWord(u"true")) return Value.Kind = TRef::Boolean, Value.Truth = true, true;
    if (TakeWord(u"false")) return Value.Kind = TRef::Boolean, Value.Truth = false, true;
    return ReadNumber(Value);
  }

  bool ReadNumber(TRef& Value) {
    const std::size_t Start = Pos_;
    Take(u'-');
    if (!Take(u'0') && !Digits()) return false;
    if (Take(u'.') && !Digits()) return false;
    if (Take(u'e') || Take(u'E')) {
      if (!Take(u'+')) Take(u'-');
      if (!Digits()) return false;
    }
    Value.Kind = TRef::Number;
    Value.Text = Text_.substr(Start, Pos_ - Start);
    return true;
  }

  bool ReadHex4(char16_t& Unit) {
    if (Pos_ + 4 > Text_.size()) return false;
    unsigned Value = 0;
    for (int I = 0; I < 4; ++I) {
      const char16_t C = Text_[Pos_++];
      const int Digit = C >= u'0' && C <= u'9'   ? C - u'0'
                        : C >= u'a' && C <= u'f' ? C - u'a' + 10
                        : C >= u'A' && C <= u'F' ? C - u'A' + 10
                                                 : -1;
      if (Digit < 0) return false;
      Value = Value * 16 + static_cast<unsigned>(Digit);
    }
    Unit = static_cast<char16_t>(Value);
    return true;
  }

  bool ReadString(std::u16string& Text) {
    ++Pos_;
    while (More()) {
      const char16_t C = Text_[Pos_++];
      if (C == u'"') return true;
      if (C < 0x20) return false;
      if (C != u'\\') {
        Text.push_back(C);
        continue;
      }
      if (!More()) return false;
      const char16_t E = Text_[Pos_++];
      const std::u16string_view Plain(u"\"\\/bfnrt");
      const std::u16string_view Meant(u"\"\\/\b\f\n\r\t");
      if (const auto At = Plain.find(E); At != std::u16string_view::npos) {
        Text.push_back(Meant[At]);
      } else if (E == u'u') {
        char16_t Unit = 0;
        if (!ReadHex4(Unit)) return false;
        Text.push_back(Unit);
      } else {
        return false;
      }
    }
    return false;
  }

  bool ReadArray(TRef& Value) {
    Value.Kind = TRef::Array;
    ++Pos_;
    SkipSpace();
    if (Take(u']')) return true;
    for (;;) {
      TRef Item;
      SkipSpace();
      if (!ReadValue(Item)) return false;
      Value.Items.push_back(std::move(Item));
      SkipSpace();
      if (Take(u']')) return true;
      if (!Take(u',')) return false;
    }
  }

  bool ReadObject(TRef& Value) {
    Value.Kind = TRef::Object;
    ++Pos_;
    SkipSpace();
    if (Take(u'}')) return true;
    for (;;) {
      std::pair<std::u16string, TRef> Member;
      SkipSpace();
      if (!More() || Text_[Pos_] != u'"' || !ReadString(Member.first)) return false;
      SkipSpace();
      if (!Take(u':')) return false;
      SkipSpace();
      if (!ReadValue(Member.second)) return false;
      Value.Members.push_back(std::move(Member));
      SkipSpace();
      if (Take(u'}')) return true;
      if (!Take(u',')) return false;
    }
  }

  std::u16string_view Text_;
  std::size_t Pos_ = 0;
  int Depth_ = 0;
};

// ---- Comparing ---------------------------------------------------------------

std::string Narrow(std::u16string_view Text) {
  std::string Result;
  for (char16_t C : Text) Result.push_back(C < 0x80 ? static_cast<char>(C) : '?');
  return Result;
}

// The parser's kind for a well-formed number text.
TJsonKind NumberKind(std::u16string_view Text) {
  if (Text.find_first_of(u"eE") != std::u16string_view::npos) return TJsonKind::Double;
  const std::size_t Point = Text.find(u'.');
  if (Point == std::u16string_view::npos) return TJsonKind::Integer;
  return Text.size() - Point - 1 <= 4 ? TJsonKind::Currency : TJsonKind::Double;
}

template <class T>
std::optional<T> ReadAscii(std::u16string_view Text) {
  const std::string Ascii = Narrow(Text);
  T Value{};
  const auto Result = std::from_chars(Ascii.data(), Ascii.data() + Ascii.size(), Value);
  if (Result.ec != std::errc() || Result.ptr != Ascii.data() + Ascii.size()) return std::nullopt;
  return Value;
}

// Empty when Value matches Ref, else where and how it differs.
std::string Mismatch(const TJsonPtr& Value, const TRef& Ref, const std::string& Where) {
  const auto Fail = [&](const std::string& What) { return Where + ": " + What; };
  switch (Ref.Kind) {
    case TRef::Null:
      return Value && Kind(Value) == TJsonKind::Null ? "" : Fail("not null");
    case TRef::Boolean:
      if (Kind(Value) != TJsonKind::Boolean) return Fail("not a boolean");
      return AsInteger(Value) == (Ref.Truth ? 1 : 0) ? "" : Fail("wrong boolean");
    case TRef::String:
      if (Kind(Value) != TJsonKind::String) return Fail("not a string");
      return AsText(Value) == Ref.Text ? "" : Fail("text " + Narrow(AsText(Value)) + " for " + Narrow(Ref.Text));
    case TRef::Number: {
      const TJsonKind Expected = NumberKind(Ref.Text);
      if (Kind(Value) != Expected) return Fail("number kind of " + Narrow(Ref.Text));
      if (Expected == TJsonKind::Integer) {
        const auto Exact = ReadAscii<std::int64_t>(Ref.Text);
        return !Exact || AsInteger(Value) == *Exact ? "" : Fail("integer " + Narrow(Ref.Text));
      }
      const auto Exact = ReadAscii<double>(Ref.Text);
      return !Exact || AsDouble(Value) == *Exact ? "" : Fail("number " + Narrow(Ref.Text));
    }
    case TRef::Array: {
      if (Kind(Value) != TJsonKind::Array) return Fail("not an array");
      if (ArrayLength(Value) != Ref.Items.size()) return Fail("array length");
      for (std::size_t I = 0; I < Ref.Items.size(); ++I) {
        const std::string Inner = Mismatch(ArrayItem(Value, I), Ref.Items[I], Where + "[" + std::to_string(I) + "]");
        if (!Inner.empty()) return Inner;
      }
      return "";
    }
    case TRef::Object: {
      if (Kind(Value) != TJsonKind::Object) return Fail("not an object");
      std::map<std::u16string, const TRef*> Latest;
      for (const auto& [Key, Member] : Ref.Members) Latest[Key] = &Member;
      if (MemberCount(Value) != Latest.size()) return Fail("member count");
      for (const auto& [Key, Member] : Latest) {
        const std::string Inner = Mismatch(GetField(Value, Key), *Member, Where + "." + Narrow(Key));
        if (!Inner.empty()) return Inner;
      }
      return "";
    }
  }
  return Fail("unknown reference kind");
}

// ---- The cases -----------------------------------------------------------------

struct TCase {
  std::string Name;
  std::u16string Text;
};

std::vector<TCase> Cases(char Prefix) {
  std::vector<TCase> Result;
  for (const auto& Entry : fs::directory_iterator(fs::path(VL_JSON_SUITE_DIR))) {
    const std::string Name = Entry.path().filename().string();
    if (Name.size() > 2 && Name[0] == Prefix && Name[1] == '_' && Entry.path().extension() == ".json")
      Result.push_back({Name, DecodeUtf8(ReadBytes(Entry.path()))});
  }
  std::sort(Result.begin(), Result.end(), [](const TCase& A, const TCase& B) { return A.Name < B.Name; });
  return Result;
}

// The n_ and i_ files that the lenient rules accept; every other one of
// them is refused.
const std::set<std::string> AcceptedByLenientRules = {
    "i_number_double_huge_neg_exp.json", "i_number_huge_exp.json", "i_number_neg_int_huge_exp.json",
    "i_number_pos_double_huge_exp.json", "i_number_real_neg_overflow.json", "i_number_real_pos_overflow.json",
    "i_number_real_underflow.json", "i_number_too_big_neg_int.json", "i_number_too_big_pos_int.json",
    "i_number_very_big_negative_int.json",
    "i_object_key_lone_2nd_surrogate.json",
    "i_string_1st_surrogate_but_2nd_missing.json", "i_string_1st_valid_surrogate_2nd_invalid.json",
    "i_string_UTF-16LE_with_BOM.json", "i_string_UTF-8_invalid_sequence.json", "i_string_UTF8_surrogate_U+D800.json",
    "i_string_incomplete_surrogate_and_escape_valid.json", "i_string_incomplete_surrogate_pair.json",
    "i_string_incomplete_surrogates_escape_valid.json", "i_string_invalid_lonely_surrogate.json",
    "i_string_invalid_surrogate.json", "i_string_invalid_utf-8.json", "i_string_inverted_surrogates_U+1D11E.json",
    "i_string_iso_latin_1.json", "i_string_lone_second_surrogate.json", "i_string_lone_utf8_continuation_byte.json",
    "i_string_not_in_unicode_range.json", "i_string_overlong_sequence_2_bytes.json",
    "i_string_overlong_sequence_6_bytes.json", "i_string_overlong_sequence_6_bytes_null.json",
    "i_string_truncated-utf-8.json", "i_string_utf16BE_no_BOM.json",
    "i_structure_UTF-8_BOM_empty_object.json",
    "n_array_a_invalid_utf8.json", "n_array_comma_after_close.json", "n_array_comma_and_number.json",
    "n_array_double_comma.json", "n_array_double_extra_comma.json", "n_array_extra_close.json",
    "n_array_extra_comma.json", "n_array_invalid_utf8.json", "n_array_just_comma.json", "n_array_just_minus.json",
    "n_array_missing_value.json", "n_array_number_and_comma.json", "n_array_number_and_several_commas.json",
    "n_array_star_inside.json",
    "n_incomplete_false.json", "n_incomplete_null.json", "n_incomplete_true.json",
    "n_multidigit_number_then_00.json",
    "n_number_++.json", "n_number_+1.json", "n_number_+Inf.json", "n_number_-01.json", "n_number_-1.0..json",
    "n_number_-2..json", "n_number_.-1.json", "n_number_.2e-3.json", "n_number_0.1.2.json", "n_number_0.3e+.json",
    "n_number_0.3e.json", "n_number_0.e1.json", "n_number_0_capital_E+.json", "n_number_0_capital_E.json",
    "n_number_0e+.json", "n_number_0e.json", "n_number_1.0e+.json", "n_number_1.0e-.json", "n_number_1.0e.json",
    "n_number_1eE2.json", "n_number_2.e+3.json", "n_number_2.e-3.json", "n_number_2.e3.json", "n_number_9.e+.json",
    "n_number_Inf.json", "n_number_NaN.json", "n_number_U+FF11_fullwidth_digit_one.json", "n_number_expression.json",
    "n_number_infinity.json", "n_number_invalid+-.json", "n_number_neg_int_starting_with_zero.json",
    "n_number_neg_real_without_int_part.json", "n_number_real_without_fractional_part.json",
    "n_number_starting_with_dot.json", "n_number_with_leading_zero.json",
    "n_object_bad_value.json", "n_object_double_colon.json", "n_object_key_with_single_quotes.json",
    "n_object_lone_continuation_byte_in_key_and_trailing_comma.json", "n_object_non_string_key.json",
    "n_object_non_string_key_but_huge_number_instead.json", "n_object_repeated_null_null.json",
    "n_object_single_quote.json", "n_object_trailing_comma.json", "n_object_trailing_comment.json",
    "n_object_trailing_comment_slash_open.json", "n_object_unquoted_key.json", "n_object_with_trailing_garbage.json",
    "n_single_space.json",
    "n_string_accentuated_char_no_quotes.json", "n_string_escape_x.json", "n_string_escaped_ctrl_char_tab.json",
    "n_string_escaped_emoji.json", "n_string_invalid_backslash_esc.json", "n_string_invalid_utf8_after_escape.json",
    "n_string_leading_uescaped_thinspace.json", "n_string_no_quotes_with_bad_escape.json",
    "n_string_single_quote.json", "n_string_single_string_no_double_quotes.json", "n_string_unescaped_newline.json",
    "n_string_unescaped_tab.json", "n_string_unicode_CapitalU.json", "n_string_with_trailing_garbage.json",
    "n_structure_U+2060_word_joined.json", "n_structure_UTF8_BOM_no_data.json", "n_structure_angle_bracket_..json",
    "n_structure_angle_bracket_null.json", "n_structure_array_trailing_garbage.json",
    "n_structure_array_with_extra_array_close.json", "n_structure_ascii-unicode-identifier.json",
    "n_structure_capitalized_True.json", "n_structure_close_unopened_array.json", "n_structure_double_array.json",
    "n_structure_end_array.json", "n_structure_incomplete_UTF8_BOM.json", "n_structure_lone-invalid-utf-8.json",
    "n_structure_no_data.json", "n_structure_number_with_trailing_garbage.json",
    "n_structure_object_followed_by_closing_object.json", "n_structure_object_with_comment.json",
    "n_structure_object_with_trailing_garbage.json", "n_structure_single_eacute.json", "n_structure_single_star.json",
    "n_structure_trailing_#.json", "n_structure_uescaped_LF_before_string.json",
    "n_structure_unicode-identifier.json", "n_structure_whitespace_U+2060_word_joiner.json",
    "n_structure_whitespace_formfeed.json",
};

TEST(JsonTestSuite, AllFilesAreThere) {
  EXPECT_EQ(Cases('y').size(), 95u);
  EXPECT_EQ(Cases('n').size(), 188u);
  EXPECT_EQ(Cases('i').size(), 35u);
}

TEST(JsonTestSuite, AcceptedFilesReadAsAStrictReaderReadsThem) {
  for (const auto& Case : Cases('y')) {
    const auto Ref = TStrictReader(Case.Text).Read();
    ASSERT_TRUE(Ref) << Case.Name << ": the reference reader refuses it";
    const TJsonPtr Value = ParseJson(Case.Text);
    ASSERT_TRUE(Value) << Case.Name << ": refused";
    EXPECT_EQ(Mismatch(Value, *Ref, "$"), "") << Case.Name;
  }
}

TEST(JsonTestSuite, TheReferenceReaderRefusesTheRejectedFiles) {
  for (const auto& Case : Cases('n')) EXPECT_FALSE(TStrictReader(Case.Text).Read()) << Case.Name;
}

TEST(JsonTestSuite, LeniencyOnRejectedAndUndefinedFilesIsAsRecorded) {
  for (const char Prefix : {'n', 'i'}) {
    for (const auto& Case : Cases(Prefix)) {
      const TJsonPtr Value = ParseJson(Case.Text);
      EXPECT_EQ(static_cast<bool>(Value), AcceptedByLenientRules.count(Case.Name) == 1)
          << Case.Name << (Value ? " is accepted" : " is refused");
      if (Value) {
        EXPECT_TRUE(ParseJson(ToJsonText(Value))) << Case.Name << ": written text refused";
      }
    }
  }
}

TEST(JsonTestSuite, RecordedNamesAreRealFiles) {
  std::set<std::string> Names;
  for (const char Prefix : {'n', 'i'}) {
    for (const auto& Case : Cases(Prefix)) Names.insert(Case.Name);
  }
  for (const auto& Name : AcceptedByLenientRules) EXPECT_EQ(Names.count(Name), 1u) << Name;
}

}  // namespace
