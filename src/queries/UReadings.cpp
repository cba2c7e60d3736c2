#include "queries/UReadings.h"

#include <cmath>

#include "platform/CodePage.h"

std::string UnitsText(const char (&Units)[8]) {
  std::size_t Length = 0;
  while (Length < sizeof Units && Units[Length] != ' ' && Units[Length] != '\0') ++Length;
  return std::string(Units, Length);
}

int UnitsDecimals(const char (&Units)[8]) {
  // C++ division truncates toward zero, which maps bytes 0 to 6 to 0 too.
  return (static_cast<int>(static_cast<unsigned char>(Units[7])) - 7) / 16;
}

bool ValueUsable(float Value, uint16_t Flags) {
  // Compared as a double: the float nearest 1e20 lies above it and must not
  // pass for a reading.
  return !std::isnan(Value) && !(static_cast<double>(Value) > 1e20) && Flags != TVX_FLAGS_NONE;
}

TJsonPtr ValueItem(const std::string& Value, const std::string& Letters) {
  TJsonPtr Item = NewObject();
  PutString(Item, u"v", AnsiToUtf16(Value));
  if (!Letters.empty()) PutString(Item, u"f", AnsiToUtf16(Letters));
  return Item;
}

TJsonPtr NoValueItem(bool WithLast) {
  TJsonPtr Item = NewObject();
  PutString(Item, u"v", u"No");
  if (WithLast) PutString(Item, u"l", u"No");
  return Item;
}

void ParseAddressList(const TJsonPtr& List, TAddressList& Addresses) {
  const std::size_t Count = ArrayLength(List);
  for (std::size_t Index = 0; Index < Count; ++Index) ParsePointAddress(AsText(ArrayItem(List, Index)), Addresses[Index]);
}

uint16_t ListCount(const TJsonPtr& List) { return static_cast<uint16_t>(ArrayLength(List)); }

int16_t ReadObjectName(uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point, std::string& Name) {
  // One byte beyond what the library is told, so the text always ends.
  char Area[81] = {};
  const auto Result = static_cast<int16_t>(
      tvxGetObjectName(ServerHandle.load(), Kind, Channel, Rtu, Point, Area, static_cast<int32_t>(sizeof Area - 1)));
  Name = Result > 0 ? std::string(Area) : std::string();
  return Result;
}

bool IntegerField(const TJsonPtr& Query, std::u16string_view Name, int32_t& Value) {
  TJsonPtr Field = GetField(Query, Name);
  if (Kind(Field) != TJsonKind::Integer) return false;
  Value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(AsInteger(Field))));
  return true;
}

bool TextField(const TJsonPtr& Query, std::u16string_view Name, std::u16string& Text) {
  TJsonPtr Field = GetField(Query, Name);
  if (Kind(Field) != TJsonKind::String) return false;
  Text = AsText(Field);
  return true;
}
