// QEvents: the three event queries and the producer they share.
#include "queries/QEvents.h"

#include <memory>
#include <optional>

#include "events/UEventFilter.h"
#include "events/UServerLookup.h"
#include "platform/CodePage.h"
#include "telemetry/Telemetry.h"
#include "telemetry/UServer.h"
#include "telemetry/UTimeText.h"

namespace {

// Bounds the events of one query: its quantity, its distance from the
// present, and the events the library delivers to it.
constexpr int64_t MaxEvents = 2000;
constexpr const char* TooLarge = "ERROR: events archive is too large";

struct TPageFree {
  void operator()(TEventNode* Page) const { tvxFreeMemory(Page); }
};
using TEventPage = std::unique_ptr<TEventNode, TPageFree>;

void RequireEvents() {
  if (!EventsAvailable) throw EQueryError("Events not supported by server");
}

// Event numbers move in 64-bit steps that wrap rather than overflow.
int64_t WrappingSub(int64_t A, int64_t B) {
  return static_cast<int64_t>(static_cast<uint64_t>(A) - static_cast<uint64_t>(B));
}

// The present event number; a query that starts from it fails without it
// rather than counting from 0.
int64_t CurrentEventNumber() {
  const std::optional<TElix> Current = CurrentEventIndex();
  if (!Current) throw EQueryError("ERROR: current event index unavailable");
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
      if (++Count > MaxEvents) throw EQueryError(TooLarge);
      std::optional<TEventLogRecord> Record = MakeEventLogRecord(Node->Event, Lookup);
      if (Record && EventMatchesFilter(*Record, Filter, AddrText)) ArrayAppend(Events, EventItem(*Record));
    }
  }
}

// The time span of an archive query as library seconds.
void ReadTimeSpan(const TJsonPtr& Query, TEventFilter& Filter) {
  const TJsonPtr Start = GetField(Query, u"start");
  const TJsonPtr End = GetField(Query, u"end");
  if (Kind(Start) != TJsonKind::String) throw EQueryError("ERROR: start time missing or invalid");
  if (Kind(End) != TJsonKind::String) throw EQueryError("ERROR: end time missing or invalid");
  TDateTime StartTime = 0, EndTime = 0;
  if (!ParseTimeText(AsText(Start), StartTime)) throw EQueryError("ERROR: start time missing or invalid");
  if (!ParseTimeText(AsText(End), EndTime)) throw EQueryError("ERROR: end time missing or invalid");
  if (StartTime > EndTime) throw EQueryError("ERROR: invalid start-end times");
  Filter.StartTime = static_cast<uint32_t>(DateTimeToUnix(StartTime));
  Filter.EndTime = static_cast<uint32_t>(DateTimeToUnix(EndTime));
}

// An optional integer mask; 0 keeps the default.
void ReadMask(const TJsonPtr& Query, std::u16string_view Name, const char* Error, uint16_t& Mask) {
  const TJsonPtr Value = GetField(Query, Name);
  if (!Value) return;
  if (Kind(Value) != TJsonKind::Integer) throw EQueryError(Error);
  if (AsInteger(Value) != 0) Mask = static_cast<uint16_t>(AsInteger(Value));
}

void ReadAddress(const TJsonPtr& Query, TEventFilter& Filter) {
  const TJsonPtr Addr = GetField(Query, u"addr");
  if (!Addr) return;
  if (Kind(Addr) != TJsonKind::String || !ParsePointAddress(AsText(Addr), Filter.FilterAddr))
    throw EQueryError("ERROR: invalid address filter");
}

}  // namespace

void QueryEventsLatest(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireEvents();
  const TJsonPtr Quantity = GetField(Query, u"quantity");
  if (Kind(Quantity) != TJsonKind::Integer) throw EQueryError("ERROR: events quantity missing or invalid");
  const int32_t Count = static_cast<int32_t>(AsInteger(Quantity));
  if (Count < 0) throw EQueryError("ERROR: events quantity missing or invalid");
  if (Count > MaxEvents) throw EQueryError(TooLarge);
  TElix Index = IndexAt(WrappingSub(CurrentEventNumber(), Count));
  ProduceEvents(Answer, Index, TEventFilter{});
}

void QueryEventsCurrent(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireEvents();
  const TJsonPtr From = GetField(Query, u"fromEventId");
  if (!From) {
    PutInteger(Answer, u"lastEventId", CurrentEventNumber());
    return;
  }
  if (Kind(From) != TJsonKind::Integer) throw EQueryError("ERROR: event ID is invalid");
  TElix Index = IndexAt(AsInteger(From));
  // Without the present position the distance is not known; the producer's
  // own count still bounds the answer.
  const std::optional<TElix> Current = CurrentEventIndex();
  if (Current && WrappingSub(Current->EventNumber, Index.EventNumber) > MaxEvents) throw EQueryError(TooLarge);
  ProduceEvents(Answer, Index, TEventFilter{});
  PutInteger(Answer, u"lastEventId", Index.EventNumber);
}

void QueryEventsArchive(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireEvents();
  TEventFilter Filter;
  ReadTimeSpan(Query, Filter);
  ReadMask(Query, u"imp", "ERROR: invalid importance filter", Filter.ImpMask);
  ReadMask(Query, u"type", "ERROR: invalid type filter", Filter.TypeMask);
  ReadAddress(Query, Filter);
  TElix Index{};
  ProduceEvents(Answer, Index, Filter);
}
