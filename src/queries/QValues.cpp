#include "queries/QValues.h"

#include <array>
#include <string>

#include "common/UNumberText.h"
#include "platform/CodePage.h"
#include "queries/UReadings.h"

namespace {

// What differs between the three lists: the member, the message for a list
// too long, the library call and the answer element of one record.
struct TStatusList {
  using TReading = TStatusReading;
  static constexpr char16_t Name[] = u"ts";
  static constexpr char TooMany[] = "ERROR: too many TS in query";
  static constexpr bool WithLast = false;
  static int32_t Read(uint16_t Count, const TPointAddress* List, TReading* Result) {
    return LockedCall(tvxStatusByList, Count, List, Result);
  }
  static TJsonPtr Item(const TReading& Reading) {
    if (Reading.State < 0 || Reading.Flags == TVX_FLAGS_NONE) return NoValueItem();
    return ValueItem(std::to_string(Reading.State), StatusFlagLetters(Reading.Flags));
  }
};

struct TAnalogList {
  using TReading = TAnalogReading;
  static constexpr char16_t Name[] = u"ti";
  static constexpr char TooMany[] = "ERROR: too many TI in query";
  static constexpr bool WithLast = false;
  static int32_t Read(uint16_t Count, const TPointAddress* List, TReading* Result) {
    return LockedCall(tvxAnalogByList, Count, List, Result, 0, 0);
  }
  static TJsonPtr Item(const TReading& Reading) {
    if (!ValueUsable(Reading.Value, Reading.Flags)) return NoValueItem();
    return ValueItem(FixedText(Reading.Value, 4), AnalogFlagLetters(Reading.Flags));
  }
};

struct TAccumList {
  using TReading = TAccumReading;
  static constexpr char16_t Name[] = u"tii";
  static constexpr char TooMany[] = "ERROR: too many TII in query";
  static constexpr bool WithLast = true;
  static int32_t Read(uint16_t Count, const TPointAddress* List, TReading* Result) {
    return LockedCall(tvxAccumByList, Count, List, Result, 0);
  }
  static TJsonPtr Item(const TReading& Reading) {
    if (!ValueUsable(Reading.Value, Reading.Flags)) return NoValueItem(WithLast);
    const int Decimals = UnitsDecimals(Reading.Units);
    TJsonPtr Item = ValueItem(FixedText(Reading.Value, Decimals), AccumFlagLetters(Reading.Flags));
    PutString(Item, u"l", AnsiToUtf16(FixedText(Reading.LastValue, Decimals)));
    return Item;
  }
};

// One list: its own addresses, one call, one answer member. A failed call
// answers "No" for every element, since records that the library did not
// write would read as a breaker that is off or a voltage of 0.
template <typename TList>
void AnswerList(const TJsonPtr& Query, const TJsonPtr& Answer) {
  TJsonPtr List = GetField(Query, TList::Name);
  if (Kind(List) != TJsonKind::Array) return;
  if (ArrayLength(List) > MaxListPoints) throw EQueryError(TList::TooMany);
  TAddressList Addresses{};
  ParseAddressList(List, Addresses);
  std::array<typename TList::TReading, MaxListPoints> Readings{};
  const uint16_t Count = ListCount(List);
  const bool Read = TList::Read(Count, Addresses.data(), Readings.data()) == 1;
  TJsonPtr Items = NewArray();
  PutValue(Answer, TList::Name, Items);
  for (uint16_t Index = 0; Index < Count; ++Index)
    ArrayAppend(Items, Read ? TList::Item(Readings[Index]) : NoValueItem(TList::WithLast));
}

}  // namespace

void QueryInstant(const TJsonPtr& Query, const TJsonPtr& Answer) {
  AnswerList<TStatusList>(Query, Answer);
  AnswerList<TAnalogList>(Query, Answer);
  AnswerList<TAccumList>(Query, Answer);
}
