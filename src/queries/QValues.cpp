#include "queries/QValues.h"

#include <array>
#include <string>
#include <type_traits>

#include "common/UNumberText.h"
#include "platform/CodePage.h"
#include "queries/UPointLists.h"
#include "queries/UUnits.h"
#include "queries/UValueItems.h"

namespace {

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
void AnswerList(const TJsonPtr& Query, std::u16string_view Name, TMessage TooMany, const TJsonPtr& Answer) {
  TAddressList Addresses{};
  uint16_t Count = 0;
  if (!ReadAddressList(Query, Name, TooMany, Addresses, Count)) return;
  std::array<TReading, MaxListPoints> Readings{};
  const bool Read = ReadList(Count, Addresses.data(), Readings.data()) == 1;
  TJsonPtr Items = NewArray();
  PutValue(Answer, Name, Items);
  for (uint16_t Index = 0; Index < Count; ++Index)
    ArrayAppend(Items, Read ? Item(Readings[Index]) : NoValueItem(std::is_same_v<TReading, TAccumReading>));
}

}  // namespace

void QueryInstant(const TJsonPtr& Query, const TJsonPtr& Answer) {
  AnswerList<TStatusReading>(Query, u"ts", TMessage::TooManyTs, Answer);
  AnswerList<TAnalogReading>(Query, u"ti", TMessage::TooManyTi, Answer);
  AnswerList<TAccumReading>(Query, u"tii", TMessage::TooManyTii, Answer);
}
