#include "queries/UQueryMembers.h"

#include "platform/CodePage.h"

namespace {

// The member when it is present and of kind Wanted, else nullptr.
TJsonPtr FieldOfKind(const TJsonPtr& Query, std::u16string_view Name, TJsonKind Wanted) {
  TJsonPtr Field = GetField(Query, Name);
  return Kind(Field) == Wanted ? Field : nullptr;
}

}  // namespace

bool HasField(const TJsonPtr& Query, std::u16string_view Name) { return static_cast<bool>(GetField(Query, Name)); }

bool IntegerField(const TJsonPtr& Query, std::u16string_view Name, int32_t& Value) {
  int64_t Whole = 0;
  if (!IntegerField(Query, Name, Whole)) return false;
  Value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(Whole)));
  return true;
}

bool IntegerField(const TJsonPtr& Query, std::u16string_view Name, int64_t& Value) {
  const TJsonPtr Field = FieldOfKind(Query, Name, TJsonKind::Integer);
  if (!Field) return false;
  Value = AsInteger(Field);
  return true;
}

bool NumberField(const TJsonPtr& Query, std::u16string_view Name, double& Value, std::string& Text) {
  const TJsonPtr Field = GetField(Query, Name);
  if (Kind(Field) != TJsonKind::Integer && Kind(Field) != TJsonKind::Currency) return false;
  Value = AsDouble(Field);
  Text = Utf16ToAnsi(AsText(Field));
  return true;
}

bool TextField(const TJsonPtr& Query, std::u16string_view Name, std::u16string& Text) {
  const TJsonPtr Field = FieldOfKind(Query, Name, TJsonKind::String);
  if (!Field) return false;
  Text = AsText(Field);
  return true;
}

bool TextField(const TJsonPtr& Query, std::u16string_view Name, std::string& Text) {
  std::u16string Wide;
  if (!TextField(Query, Name, Wide)) return false;
  Text = Utf16ToAnsi(Wide);
  return true;
}

bool ArrayField(const TJsonPtr& Query, std::u16string_view Name, TJsonPtr& List) {
  const TJsonPtr Field = FieldOfKind(Query, Name, TJsonKind::Array);
  if (!Field) return false;
  List = Field;
  return true;
}

bool PointField(const TJsonPtr& Query, std::u16string_view Name, TPointAddress& Address) {
  std::u16string Text;
  TPointAddress Parsed{};
  if (!TextField(Query, Name, Text) || !ParsePointAddress(Text, Parsed)) return false;
  Address = Parsed;
  return true;
}
