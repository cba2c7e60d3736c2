#include "queries/QValues.h"

#include <array>
#include <string>
#include <type_traits>

#include "common/UNumberText.h"
#include "platform/CodePage.h"
#include "queries/UReadings.h"

namespace {

// The library call of each kind of list, with the arguments it reserves.
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

// The answer element of one record.
TJsonPtr Item(const TStatusReading& Reading) {
  if (Reading.State < 0 || Reading.Flags == TVX_FLAGS_NONE) return NoValueItem();
  return ValueItem(std::to_string(Reading.State), StatusFlagLetters(Reading.Flags));
}
TJsonPtr Item(const TAnalogReading& Reading) {
  if (!ValueUsable(Reading.Value, Reading.Flags)) return NoValueItem();
  return ValueItem(FixedText(Reading.Value, AnalogDecimals), AnalogFlagLetters(Reading.Flags));
}
TJsonPtr Item(const TAccumReading& Reading) {
  if (!ValueUsable(Reading.Value, Reading.Flags)) return NoValueItem(true);
  const int Decimals = UnitsDecimals(Reading.Units);
  TJsonPtr Result = ValueItem(FixedText(Reading.Value, Decimals), AccumFlagLetters(Reading.Flags));
  PutString(Result, u"l", AnsiToUtf16(FixedText(Reading.LastValue, Decimals)));
  return Result;
}

// One list: its own addresses, one call, one answer member. A failed call
// answers "No" for every element, since records that the library did not
// write would read as a breaker that is off or a voltage of 0.
template <typename TReading>
void AnswerList(const TJsonPtr& Query, std::u16string_view Name, const char* TooMany, const TJsonPtr& Answer) {
  TJsonPtr List = GetField(Query, Name);
  if (Kind(List) != TJsonKind::Array) return;
  if (ArrayLength(List) > MaxListPoints) throw EQueryError(TooMany);
  TAddressList Addresses{};
  ParseAddressList(List, Addresses);
  std::array<TReading, MaxListPoints> Readings{};
  const uint16_t Count = ListCount(List);
  const bool Read = ReadList(Count, Addresses.data(), Readings.data()) == 1;
  TJsonPtr Items = NewArray();
  PutValue(Answer, Name, Items);
  for (uint16_t Index = 0; Index < Count; ++Index)
    ArrayAppend(Items, Read ? Item(Readings[Index]) : NoValueItem(std::is_same_v<TReading, TAccumReading>));
}

}  // namespace

void QueryInstant(const TJsonPtr& Query, const TJsonPtr& Answer) {
  AnswerList<TStatusReading>(Query, u"ts", "ERROR: too many TS in query", Answer);
  AnswerList<TAnalogReading>(Query, u"ti", "ERROR: too many TI in query", Answer);
  AnswerList<TAccumReading>(Query, u"tii", "ERROR: too many TII in query", Answer);
}
