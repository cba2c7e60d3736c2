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
  TMutexLock Guard(ServerLock);
  return tvxStatusByList(ServerHandle, Count, List, Result);
}
int32_t ReadList(uint16_t Count, const TPointAddress* List, TAnalogReading* Result) {
  TMutexLock Guard(ServerLock);
  return tvxAnalogByList(ServerHandle, Count, List, Result, 0, 0);
}
int32_t ReadList(uint16_t Count, const TPointAddress* List, TAccumReading* Result) {
  TMutexLock Guard(ServerLock);
  return tvxAccumByList(ServerHandle, Count, List, Result, 0);
}
