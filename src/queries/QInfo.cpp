#include "queries/QInfo.h"

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "queries/UObjectName.h"
#include "queries/UPointLists.h"
#include "queries/UUnits.h"
#include "telemetry/UServer.h"

namespace {

// The units text of each of Count points from one list call of records
// TReading. A failed call gives empty texts rather than units from records
// that the library may not have written.
template <typename TReading>
std::vector<std::string> UnitsOf(uint16_t Count, const TAddressList& Addresses) {
  std::array<TReading, MaxListPoints> Readings{};
  std::vector<std::string> Units(Count);
  if (ReadList(Count, Addresses.data(), Readings.data()) != 1) return Units;
  for (uint16_t Index = 0; Index < Count; ++Index) Units[Index] = UnitsText(Readings[Index].Units);
  return Units;
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
  TAddressList Addresses{};
  uint16_t Count = 0;
  if (!ReadAddressList(Query, Member, TMessage::TooManyPoints, Addresses, Count)) return;
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
  AnswerList(Query, u"ti", TVX_KIND_ANALOG, UnitsOf<TAnalogReading>, Answer);
  AnswerList(Query, u"tii", TVX_KIND_ACCUM, UnitsOf<TAccumReading>, Answer);
}
