#include "queries/QInfo.h"

#include <array>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "queries/UReadings.h"

namespace {

// The units text of each of Count points from one list call, which Call
// makes into the result area it is given. A failed call gives empty texts
// rather than units from records that the library may not have written.
template <typename TReading, typename TCall>
std::vector<std::string> UnitsOf(uint16_t Count, TCall Call) {
  std::array<TReading, MaxListPoints> Readings{};
  std::vector<std::string> Units(Count);
  if (Call(Readings.data()) != 1) return Units;
  for (uint16_t Index = 0; Index < Count; ++Index) Units[Index] = UnitsText(Readings[Index].Units);
  return Units;
}

std::vector<std::string> AnalogUnits(uint16_t Count, const TAddressList& Addresses) {
  return UnitsOf<TAnalogReading>(Count, [&](TAnalogReading* Result) {
    TMutexLock Guard(ServerLock);
    return tvxAnalogByList(ServerHandle, Count, Addresses.data(), Result, 0, 0);
  });
}

std::vector<std::string> AccumUnits(uint16_t Count, const TAddressList& Addresses) {
  return UnitsOf<TAccumReading>(Count, [&](TAccumReading* Result) {
    TMutexLock Guard(ServerLock);
    return tvxAccumByList(ServerHandle, Count, Addresses.data(), Result, 0);
  });
}

using TUnitsReader = std::vector<std::string> (*)(uint16_t Count, const TAddressList& Addresses);

std::string NameOf(uint16_t ObjectKind, const TPointAddress& Address) {
  std::string Name;
  TMutexLock Guard(ServerLock);
  ReadObjectName(ObjectKind, Address.Channel, Address.Rtu, Address.Point, Name);
  return Name;
}

// One list: the units call (ReadUnits, none for status points), then one
// name call per element, each under its own holding of the lock.
void AnswerList(const TJsonPtr& Query, std::u16string_view Member, uint16_t ObjectKind, TUnitsReader ReadUnits,
                const TJsonPtr& Answer) {
  TJsonPtr List = GetField(Query, Member);
  if (Kind(List) != TJsonKind::Array) return;
  if (ArrayLength(List) > MaxListPoints) throw EQueryError("ERROR: too many points in query");
  TAddressList Addresses{};
  ParseAddressList(List, Addresses);
  const uint16_t Count = ListCount(List);
  const std::vector<std::string> Units = ReadUnits ? ReadUnits(Count, Addresses) : std::vector<std::string>();
  TJsonPtr Items = NewArray();
  for (uint16_t Index = 0; Index < Count; ++Index) {
    TJsonPtr Item = NewArray();
    ArrayAppend(Items, Item);
    ArrayAppend(Item, NewString(AnsiToUtf16(NameOf(ObjectKind, Addresses[Index]))));
    if (ReadUnits) ArrayAppend(Item, NewString(AnsiToUtf16(Units[Index])));
  }
  PutValue(Answer, Member, Items);
}

}  // namespace

void QueryInfo(const TJsonPtr& Query, const TJsonPtr& Answer) {
  AnswerList(Query, u"ts", TVX_KIND_STATUS, nullptr, Answer);
  AnswerList(Query, u"ti", TVX_KIND_ANALOG, AnalogUnits, Answer);
  AnswerList(Query, u"tii", TVX_KIND_ACCUM, AccumUnits, Answer);
}
