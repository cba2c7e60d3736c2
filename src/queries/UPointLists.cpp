#include "queries/UPointLists.h"

#include "queries/UQuery.h"
#include "queries/UQueryMembers.h"
#include "telemetry/UServer.h"

bool ReadAddressList(const TJsonPtr& Query, std::u16string_view Name, TMessage TooMany, TAddressList& Addresses,
                     uint16_t& Count) {
  TJsonPtr List;
  if (!ArrayField(Query, Name, List)) return false;
  const std::size_t Length = ArrayLength(List);
  if (Length > MaxListPoints) throw EQueryError(TooMany);
  for (std::size_t Index = 0; Index < Length; ++Index) ParsePointAddress(AsText(ArrayItem(List, Index)), Addresses[Index]);
  Count = static_cast<uint16_t>(Length);
  return true;
}

int32_t ReadList(uint16_t Count, const TPointAddress* List, TStatusReading* Result) {
  return LockedCall(tvxStatusByList, Count, List, Result);
}
int32_t ReadList(uint16_t Count, const TPointAddress* List, TAnalogReading* Result) {
  return LockedCall(tvxAnalogByList, Count, List, Result, 0, 0);
}
int32_t ReadList(uint16_t Count, const TPointAddress* List, TAccumReading* Result) {
  return LockedCall(tvxAccumByList, Count, List, Result, 0);
}
