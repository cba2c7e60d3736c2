// QEvents: the three event queries and the producer they share.
#include "queries/QEvents.h"

#include <memory>
#include <optional>

#include "events/UEventFilter.h"
#include "events/UServerLookup.h"
#include "platform/CodePage.h"
#include "queries/UQueryMembers.h"
#include "queries/UTimeSpan.h"
#include "telemetry/Telemetry.h"
#include "telemetry/UServer.h"

namespace {

// Bounds the events of one query: its quantity, its distance from the
// present, and the events the library delivers to it.
constexpr int64_t MaxEvents = 2000;

struct TPageFree {
  void operator()(TEventNode* Page) const { tvxFreeMemory(Page); }
};
using TEventPage = std::unique_ptr<TEventNode, TPageFree>;

void RequireEvents() {
  if (!EventsAvailable) throw EQueryError(TMessage::EventsNotSupported);
}

// Event numbers move in 64-bit steps that wrap rather than overflow.
int64_t WrappingSub(int64_t A, int64_t B) {
  return static_cast<int64_t>(static_cast<uint64_t>(A) - static_cast<uint64_t>(B));
}

// The present event number; a query that starts from it fails without it
// rather than counting from 0.
int64_t CurrentEventNumber() {
  const std::optional<TElix> Current = CurrentEventIndex();
  if (!Current) throw EQueryError(TMessage::EventIndexUnavailable);
  return Current->EventNumber;
}

TElix IndexAt(int64_t EventNumber) {
  TElix Index{};
  Index.EventNumber = EventNumber;
  return Index;
}

TJsonPtr EventItem(const TEventLogRecord& Record) {
  TJsonPtr Item = NewObject();
  PutInteger(Item, u"imp", Record.Importance);
  PutString(Item, u"dat", AnsiToUtf16(Record.DateText));
  PutString(Item, u"adr", AnsiToUtf16(Record.AddrText));
  PutString(Item, u"n", AnsiToUtf16(Record.Name));
  PutString(Item, u"st", AnsiToUtf16(Record.StateText));
  PutString(Item, u"t", AnsiToUtf16(Record.TypeText));
  return Item;
}

// Pages through the log from Index (advanced in place) and appends one item
// per event that passes Filter to "events".
void ProduceEvents(const TJsonPtr& Answer, TElix& Index, const TEventFilter& Filter) {
  TJsonPtr Events = NewArray();
  PutValue(Answer, u"events", Events);
  const std::string AddrText = FilterAddrText(Filter);
  TServerLookup Lookup;
  int64_t Count = 0;
  for (;;) {
    TEventPage Page;
    {
      TMutexLock Guard(ServerLock);
      Page.reset(tvxEventLogByElix(ServerHandle, &Index, Filter.TypeMask, Filter.StartTime, Filter.EndTime));
    }
    if (!Page) return;
    for (const TEventNode* Node = Page.get(); Node; Node = Node->Next) {
      if (++Count > MaxEvents) throw EQueryError(TMessage::EventsTooLarge);
      std::optional<TEventLogRecord> Record = MakeEventLogRecord(Node->Event, Lookup);
      if (Record && EventMatchesFilter(*Record, Filter, AddrText)) ArrayAppend(Events, EventItem(*Record));
    }
  }
}

// The time span of an archive query as library seconds.
void ReadTimeSpan(const TJsonPtr& Query, TEventFilter& Filter) {
  const TTimeSpan Span = ParseTimeSpan(ReadTimeSpanTexts(Query));
  Filter.StartTime = static_cast<uint32_t>(Span.Start);
  Filter.EndTime = static_cast<uint32_t>(Span.End);
}

// An optional integer mask; 0 keeps the default.
void ReadMask(const TJsonPtr& Query, std::u16string_view Name, TMessage Refusal, uint16_t& Mask) {
  if (!HasField(Query, Name)) return;
  int64_t Value = 0;
  if (!IntegerField(Query, Name, Value)) throw EQueryError(Refusal);
  if (Value != 0) Mask = static_cast<uint16_t>(Value);
}

void ReadAddress(const TJsonPtr& Query, TEventFilter& Filter) {
  if (HasField(Query, u"addr") && !PointField(Query, u"addr", Filter.FilterAddr))
    throw EQueryError(TMessage::AddressFilterInvalid);
}

}  // namespace

void QueryEventsLatest(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireEvents();
  int32_t Count = 0;
  if (!IntegerField(Query, u"quantity", Count) || Count < 0) throw EQueryError(TMessage::EventsQuantityInvalid);
  if (Count > MaxEvents) throw EQueryError(TMessage::EventsTooLarge);
  TElix Index = IndexAt(WrappingSub(CurrentEventNumber(), Count));
  ProduceEvents(Answer, Index, TEventFilter{});
}

void QueryEventsCurrent(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireEvents();
  if (!HasField(Query, u"fromEventId")) {
    PutInteger(Answer, u"lastEventId", CurrentEventNumber());
    return;
  }
  int64_t From = 0;
  if (!IntegerField(Query, u"fromEventId", From)) throw EQueryError(TMessage::EventIdInvalid);
  TElix Index = IndexAt(From);
  // Without the present position the distance is not known; the producer's
  // own count still bounds the answer.
  const std::optional<TElix> Current = CurrentEventIndex();
  if (Current && WrappingSub(Current->EventNumber, Index.EventNumber) > MaxEvents) throw EQueryError(TMessage::EventsTooLarge);
  ProduceEvents(Answer, Index, TEventFilter{});
  PutInteger(Answer, u"lastEventId", Index.EventNumber);
}

void QueryEventsArchive(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireEvents();
  TEventFilter Filter;
  ReadTimeSpan(Query, Filter);
  ReadMask(Query, u"imp", TMessage::ImportanceFilterInvalid, Filter.ImpMask);
  ReadMask(Query, u"type", TMessage::TypeFilterInvalid, Filter.TypeMask);
  ReadAddress(Query, Filter);
  TElix Index{};
  ProduceEvents(Answer, Index, Filter);
}
