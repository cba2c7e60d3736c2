#include "queries/QRetro.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "common/UNumberText.h"
#include "platform/CodePage.h"
#include "queries/UObjectName.h"
#include "queries/UQuery.h"
#include "queries/UQueryMembers.h"
#include "queries/UTimeSpan.h"
#include "queries/UUnits.h"
#include "queries/UValueItems.h"
#include "telemetry/Telemetry.h"
#include "telemetry/UServer.h"

namespace {

constexpr std::size_t MaxRetroPoints = 5;
constexpr int64_t MaxSamples = 1000;
constexpr int32_t MaxStep = 2678400;  // 31 days

// The span and sampling of a query whose fields have passed every check.
struct TRetroSpan {
  int64_t Start = 0;  // Unix seconds
  int32_t Step = 0;
  uint16_t Count = 0;
};

TRetroSpan CheckedSpan(const TJsonPtr& Query, TJsonPtr& Points) {
  const TTimeSpanTexts Texts = ReadTimeSpanTexts(Query);
  int32_t Step = 0;
  if (!IntegerField(Query, u"step", Step)) throw EQueryError(TMessage::StepInvalid);
  if (!ArrayField(Query, u"ti", Points)) throw EQueryError(TMessage::TiInvalid);
  if (ArrayLength(Points) > MaxRetroPoints) throw EQueryError(TMessage::TooManyRetroTi);
  const TTimeSpan Span = ParseTimeSpan(Texts);
  if (Step < 1 || Step > MaxStep) throw EQueryError(TMessage::StepInvalid);
  // Counted on the whole seconds: spans of more than 68 years would wrap
  // around in 32 bits and pass the limit with a count of 0 or below.
  const int64_t Samples = (Span.End - Span.Start) / Step + 1;
  if (Samples > MaxSamples) throw EQueryError(TMessage::RetroTooLarge);
  return {Span.Start, Step, static_cast<uint16_t>(Samples)};
}

// What the server holds for one point, read into areas cleared for it, so
// that nothing of the point before shows through a failed call. Cleared and
// never read, it answers "No" for every sample.
struct TPointHistory {
  std::array<TRetroReading, MaxSamples> Samples{};
  bool SamplesRead = false;
  TAnalogFull Record{};
  bool RecordRead = false;
  std::string Name;
};

void ReadHistory(const TPointAddress& Address, const TRetroSpan& Span, TPointHistory& History) {
  History = TPointHistory{};
  // The library takes the step's low 16 bits in Step and its high 16 bits
  // in the argument before the count, so steps of 65536 s and more arrive.
  const auto StepLow = static_cast<uint16_t>(Span.Step & 0xFFFF);
  const int32_t StepHigh = Span.Step >> 16;
  // The library counts time in 32 bits: a start outside them would wrap
  // around to another century, whose values must not pass for these.
  const bool StartFits = Span.Start >= INT32_MIN && Span.Start <= INT32_MAX;
  TMutexLock Guard(ServerLock);
  const int32_t Handle = ServerHandle;
  History.SamplesRead = StartFits && tvxTakeRetroTit(Handle, Address.Channel, Address.Rtu, Address.Point,
                                                     static_cast<int32_t>(Span.Start), StepHigh, Span.Count,
                                                     StepLow, History.Samples.data()) == 1;
  History.RecordRead = tvxAnalogFull(Handle, Address.Channel, Address.Rtu, Address.Point, &History.Record, 0, 0) == 1;
  if (!History.RecordRead) History.Record = TAnalogFull{};
  ReadObjectName(TVX_KIND_ANALOG, Address.Channel, Address.Rtu, Address.Point, History.Name);
}

TJsonPtr SampleItems(const TPointHistory& History, uint16_t Count) {
  // Without the point's record its decimals are unknown: the samples are
  // written as precisely as current analog values, not rounded to 0.
  const int Decimals = History.RecordRead ? UnitsDecimals(History.Record.Units) : AnalogDecimals;
  TJsonPtr Items = NewArray();
  for (uint16_t Index = 0; Index < Count; ++Index) {
    const TRetroReading& Sample = History.Samples[Index];
    const bool Usable = History.SamplesRead && ValueUsable(Sample.Value, Sample.Flags);
    ArrayAppend(Items, Usable ? ValueItem(FixedText(Sample.Value, Decimals), AnalogFlagLetters(Sample.Flags))
                              : NoValueItem());
  }
  return Items;
}

TJsonPtr Label(const TPointHistory& History) {
  TJsonPtr Pair = NewArray();
  ArrayAppend(Pair, NewString(AnsiToUtf16(History.Name)));
  ArrayAppend(Pair, NewString(AnsiToUtf16(UnitsText(History.Record.Units))));
  return Pair;
}

}  // namespace

void QueryRetro(const TJsonPtr& Query, const TJsonPtr& Answer) {
  TJsonPtr Points;
  const TRetroSpan Span = CheckedSpan(Query, Points);
  TJsonPtr Values = NewArray();
  TJsonPtr Labels = NewArray();
  PutValue(Answer, u"ti", Values);
  PutValue(Answer, u"labels", Labels);
  TPointHistory History;
  for (std::size_t Index = 0; Index < ArrayLength(Points); ++Index) {
    TPointAddress Address{};
    if (!ParsePointAddress(AsText(ArrayItem(Points, Index)), Address)) {
      History = TPointHistory{};
      ArrayPutAt(Values, Index, SampleItems(History, Span.Count));
      continue;
    }
    ReadHistory(Address, Span, History);
    ArrayPutAt(Labels, Index, Label(History));
    ArrayPutAt(Values, Index, SampleItems(History, Span.Count));
  }
}
