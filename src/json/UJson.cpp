// UJson: creating values and the field, array and reading operations.
#include "json/UJson.h"

#include <stdexcept>
#include <utility>

#include "json/UJsonNumber.h"
#include "json/UJsonValue.h"

namespace {

constexpr std::size_t FirstArrayRoom = 32;

}  // namespace

TJsonPtr NewObject() { return MakeJson<TJsonMemberTable>(); }
TJsonPtr NewArray() { return MakeJson<TJsonArray>(); }
TJsonPtr NewString(std::u16string Text) { return MakeJson<std::u16string>(std::move(Text)); }
TJsonPtr NewInteger(std::int64_t Value) { return MakeJson<std::int64_t>(Value); }
TJsonPtr NewNull() { return MakeJson<std::monostate>(); }
TJsonPtr NewBoolean(bool Value) { return MakeJson<bool>(Value); }
TJsonPtr NewDouble(double Value) { return MakeJson<double>(Value); }
TJsonPtr NewCurrency(std::int64_t Units) { return MakeJson<TJsonCurrency>(TJsonCurrency{Units}); }

TJsonKind Kind(const TJsonPtr& Value) { return Value ? Value->Kind() : TJsonKind::Null; }

std::u16string AsText(const TJsonPtr& Value) {
  if (!Value) return {};
  if (const auto* Text = JsonContent<std::u16string>(Value)) return *Text;
  return ToJsonText(Value);
}

std::int64_t AsInteger(const TJsonPtr& Value) {
  if (const auto* Integer = JsonContent<std::int64_t>(Value)) return *Integer;
  if (const auto* Boolean = JsonContent<bool>(Value)) return *Boolean ? 1 : 0;
  if (const auto* Double = JsonContent<double>(Value)) return RoundDouble(*Double);
  if (const auto* Currency = JsonContent<TJsonCurrency>(Value)) return RoundCurrency(Currency->Units);
  if (const auto* Text = JsonContent<std::u16string>(Value)) return IntegerFromText(*Text);
  return 0;
}

double AsDouble(const TJsonPtr& Value) {
  if (const auto* Double = JsonContent<double>(Value)) return *Double;
  if (const auto* Currency = JsonContent<TJsonCurrency>(Value)) return static_cast<double>(Currency->Units) / 10000.0;
  if (const auto* Integer = JsonContent<std::int64_t>(Value)) return static_cast<double>(*Integer);
  if (const auto* Boolean = JsonContent<bool>(Value)) return *Boolean ? 1.0 : 0.0;
  return 0.0;
}

TJsonPtr GetField(const TJsonPtr& Object, std::u16string_view Name) {
  const auto* Members = JsonContent<TJsonMemberTable>(Object);
  return Members ? Members->Find(Name) : TJsonPtr();
}

void PutValue(const TJsonPtr& Object, std::u16string_view Name, TJsonPtr Value) {
  auto* Members = JsonContent<TJsonMemberTable>(Object);
  if (!Members) return;
  Members->Put(std::u16string(Name), Value ? std::move(Value) : NewNull());
}

void PutString(const TJsonPtr& Object, std::u16string_view Name, std::u16string Text) {
  if (Kind(Object) == TJsonKind::Object) PutValue(Object, Name, NewString(std::move(Text)));
}

void PutInteger(const TJsonPtr& Object, std::u16string_view Name, std::int64_t Value) {
  if (Kind(Object) == TJsonKind::Object) PutValue(Object, Name, NewInteger(Value));
}

std::size_t MemberCount(const TJsonPtr& Object) {
  const auto* Members = JsonContent<TJsonMemberTable>(Object);
  return Members ? Members->Count() : 0;
}

void ForEachMember(const TJsonPtr& Object,
                   const std::function<void(std::u16string_view Key, const TJsonPtr& Value)>& Visit) {
  if (const auto* Members = JsonContent<TJsonMemberTable>(Object))
    Members->Visit([&](const TJsonAvlEntry& Entry) { Visit(Entry.Key, Entry.Value); });
}

void ArrayAppend(const TJsonPtr& Array, TJsonPtr Value) {
  auto* Items = JsonContent<TJsonArray>(Array);
  if (!Items) return;
  if (Items->size() == Items->capacity()) Items->reserve(Items->empty() ? FirstArrayRoom : Items->capacity() * 2);
  Items->push_back(std::move(Value));
}

std::size_t ArrayLength(const TJsonPtr& Array) {
  const auto* Items = JsonContent<TJsonArray>(Array);
  return Items ? Items->size() : 0;
}

TJsonPtr ArrayItem(const TJsonPtr& Array, std::size_t Index) {
  const auto* Items = JsonContent<TJsonArray>(Array);
  return Items && Index < Items->size() ? (*Items)[Index] : TJsonPtr();
}

void ArrayPutAt(const TJsonPtr& Array, std::size_t Index, TJsonPtr Value) {
  auto* Items = JsonContent<TJsonArray>(Array);
  if (!Items) return;
  if (Index >= Items->size()) {
    if (Index >= Items->max_size()) throw std::length_error("JSON array index too large");
    Items->resize(Index + 1);
  }
  (*Items)[Index] = std::move(Value);
}
