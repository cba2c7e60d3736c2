#include "QMembers.h"

#include <charconv>
#include <cstdint>
#include <map>

#include "QOptions.h"

namespace {

enum class TMemberKind {
  String,   // the text as it is
  Integer,  // decimal digits with an optional "-"
  Number,   // an integer, or up to four decimals (what the gateway takes as a value)
  List,     // texts separated by ",": an array of strings
};

using TMemberTable = std::map<std::string, TMemberKind>;

const std::map<std::string, TMemberTable>& QueryTypes() {
  using K = TMemberKind;
  static const TMemberTable Points = {{"ts", K::List}, {"ti", K::List}, {"tii", K::List}};
  static const TMemberTable RtuPoints = {{"ch", K::Integer}, {"rtu", K::Integer}, {"from", K::Integer}};
  static const std::map<std::string, TMemberTable> Table = {
      {"test", {}},
      {"instant", Points},
      {"info", Points},
      {"retro", {{"start", K::String}, {"end", K::String}, {"step", K::Integer}, {"ti", K::List}}},
      {"tms-ch", {}},
      {"tms-rtu", {{"ch", K::Integer}}},
      {"tms-ts", RtuPoints},
      {"tms-ti", RtuPoints},
      {"tms-tii", RtuPoints},
      {"events-latest", {{"quantity", K::Integer}}},
      {"events-current", {{"fromEventId", K::Integer}}},
      {"events-archive",
       {{"start", K::String}, {"end", K::String}, {"imp", K::Integer}, {"type", K::Integer}, {"addr", K::String}}},
      {"set-ts", {{"ts", K::String}, {"value", K::Integer}}},
      {"switch-ts", {{"ts", K::String}}},
      {"ack-ts", {{"ts", K::String}}},
      {"set-ti", {{"ti", K::String}, {"value", K::Number}}},
  };
  return Table;
}

std::string Narrow(std::u16string_view Text) {
  std::string Result;
  for (char16_t Unit : Text) Result += Unit < 0x80 ? static_cast<char>(Unit) : '?';
  return Result;
}

bool ReadInteger(std::string_view Text, int64_t& Value) {
  const char* End = Text.data() + Text.size();
  auto [Stop, Error] = std::from_chars(Text.data(), End, Value);
  return !Text.empty() && Error == std::errc() && Stop == End;
}

bool AllDigits(std::string_view Text) {
  return !Text.empty() && Text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "12.5" as 125000 units of 1/10 000; false unless digits, one "." and one
// to four digits after it.
bool ReadCurrency(std::string_view Text, int64_t& Units) {
  bool Negative = !Text.empty() && Text[0] == '-';
  if (Negative) Text.remove_prefix(1);
  auto Point = Text.find('.');
  if (Point == std::string_view::npos) return false;
  std::string_view WholeText = Text.substr(0, Point), Fraction = Text.substr(Point + 1);
  int64_t Whole = 0, Part = 0;
  if (!AllDigits(WholeText) || !AllDigits(Fraction) || Fraction.size() > 4) return false;
  if (!ReadInteger(WholeText, Whole) || !ReadInteger(Fraction, Part) || Whole > INT64_MAX / 10000 - 1) return false;
  for (std::size_t Digits = Fraction.size(); Digits < 4; ++Digits) Part *= 10;
  Units = (Whole * 10000 + Part) * (Negative ? -1 : 1);
  return true;
}

TJsonPtr ListValue(std::u16string_view Text) {
  TJsonPtr Array = NewArray();
  while (!Text.empty()) {
    auto Comma = Text.find(u',');
    ArrayAppend(Array, NewString(std::u16string(Text.substr(0, Comma))));
    if (Comma == std::u16string_view::npos) break;
    Text.remove_prefix(Comma + 1);
  }
  return Array;
}

TJsonPtr MemberValue(const std::string& Name, TMemberKind Kind, const std::u16string& Text) {
  int64_t Number = 0;
  switch (Kind) {
    case TMemberKind::String:
      return NewString(Text);
    case TMemberKind::List:
      return ListValue(Text);
    case TMemberKind::Integer:
      if (ReadInteger(Narrow(Text), Number)) return NewInteger(Number);
      throw EUsage(Name + " needs an integer, not " + Narrow(Text));
    case TMemberKind::Number:
      if (ReadInteger(Narrow(Text), Number)) return NewInteger(Number);
      if (ReadCurrency(Narrow(Text), Number)) return NewCurrency(Number);
      throw EUsage(Name + " needs a number with at most four decimals after a point, not " + Narrow(Text));
  }
  return {};
}

std::string NamesOf(const TMemberTable& Table) {
  std::string Names;
  for (const auto& [Name, Kind] : Table) Names += (Names.empty() ? "" : ", ") + Name;
  return Names.empty() ? "none" : Names;
}

}  // namespace

bool IsQueryType(const std::string& Type) { return QueryTypes().count(Type) != 0; }

bool IsCommand(const std::string& Type) {
  return Type == "set-ts" || Type == "switch-ts" || Type == "ack-ts" || Type == "set-ti";
}

TJsonPtr BuildQuery(const std::string& Type, const std::vector<std::pair<std::u16string, std::u16string>>& Members,
                    const std::u16string* Id) {
  auto Found = QueryTypes().find(Type);
  if (Found == QueryTypes().end()) throw EUsage("unknown query type " + Type);
  TJsonPtr Query = NewObject();
  PutString(Query, u"query", std::u16string(Type.begin(), Type.end()));
  for (const auto& [Name, Text] : Members) {
    std::string Key = Narrow(Name);
    auto Member = Found->second.find(Key);
    if (Member == Found->second.end()) {
      throw EUsage(Type + " takes no member " + Key + " (its members: " + NamesOf(Found->second) + ")");
    }
    PutValue(Query, Name, MemberValue(Key, Member->second, Text));
  }
  if (Id) PutString(Query, u"id", *Id);
  return Query;
}
