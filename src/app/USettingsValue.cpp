// USettingsValue: see USettingsValue.h.
#include "app/USettingsValue.h"

#include "common/UAddressText.h"
#include "platform/CodePage.h"

std::u16string StringOf(const TJsonPtr& Value) {
  if (Kind(Value) != TJsonKind::String) throw ESettingsValue("must be a string");
  std::u16string Text = AsText(Value);
  if (Text.empty()) throw ESettingsValue("must not be empty");
  return Text;
}

int64_t IntegerIn(const TJsonPtr& Value, int64_t Low, int64_t High) {
  int64_t Number = AsInteger(Value);
  if (Kind(Value) != TJsonKind::Integer || Number < Low || Number > High) {
    throw ESettingsValue("must be an integer from " + std::to_string(Low) + " to " + std::to_string(High));
  }
  return Number;
}

std::size_t ChoiceOf(const TJsonPtr& Value, std::initializer_list<std::u16string_view> Choices) {
  // No choice is empty, so a value of another kind matches none.
  const std::u16string Text = Kind(Value) == TJsonKind::String ? AsText(Value) : u"";
  std::string Allowed;
  std::size_t Index = 0;
  for (std::u16string_view Choice : Choices) {
    if (Text == Choice) return Index;
    Allowed += (Index++ ? " or \"" : "\"") + Utf16ToAnsi(Choice) + "\"";
  }
  throw ESettingsValue("must be " + Allowed);
}

std::string IPv4Of(const TJsonPtr& Value) {
  const std::string Text = Kind(Value) == TJsonKind::String ? Utf16ToAnsi(AsText(Value)) : "";
  if (!ParseIPv4Text(Text)) throw ESettingsValue("must be an IPv4 address such as \"127.0.0.1\"");
  return Text;
}

std::vector<std::string> IPv4ListOf(const TJsonPtr& Value) {
  if (Kind(Value) != TJsonKind::Array) {
    throw ESettingsValue("must be an array of IPv4 addresses such as \"127.0.0.1\"");
  }
  std::vector<std::string> Texts;
  for (std::size_t Index = 0; Index < ArrayLength(Value); ++Index) Texts.push_back(IPv4Of(ArrayItem(Value, Index)));
  return Texts;
}
