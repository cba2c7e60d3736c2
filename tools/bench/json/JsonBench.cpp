// vorlane-json-bench: speed and allocations of the JSON unit on the
// gateway's typical work, next to RapidJSON doing the same work.
//
// Work measured, on UTF-16 texts on both sides:
//  - Parse: a typical 8 KiB "instant" query (lists of point addresses).
//  - Build+Write: a large answer made from plain data and written as
//    compact text: "events" (2000 event objects of six members) and
//    "retro" (5 arrays of 1000 value objects).
//  - Write: the same answers, already built, written as text.
// Figures: MB = million characters of JSON text (the bytes on the wire)
// per second; allocs/value = calls of operator new during one run of the
// work, divided by the number of JSON values in the document. RapidJSON
// allocates through operator new here too (its allocator is routed there).
// Nothing is asserted; the program only prints.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/encodings.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "json/UJson.h"

// ---- Counting allocations --------------------------------------------------

namespace {
std::atomic<std::size_t> Allocations{0};

void* Allocate(std::size_t Size) {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* Block = std::malloc(Size ? Size : 1)) return Block;
  throw std::bad_alloc();
}

void* AllocateAligned(std::size_t Size, std::align_val_t Alignment) {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  const auto Align = static_cast<std::size_t>(Alignment);
  if (void* Block = std::aligned_alloc(Align, (Size + Align - 1) / Align * Align)) return Block;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t Size) { return Allocate(Size); }
void* operator new[](std::size_t Size) { return Allocate(Size); }
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(Size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t Size, const std::nothrow_t& Tag) noexcept { return operator new(Size, Tag); }
void* operator new(std::size_t Size, std::align_val_t Alignment) { return AllocateAligned(Size, Alignment); }
void* operator new[](std::size_t Size, std::align_val_t Alignment) { return AllocateAligned(Size, Alignment); }
void operator delete(void* Block) noexcept { std::free(Block); }
void operator delete[](void* Block) noexcept { std::free(Block); }
void operator delete(void* Block, std::size_t) noexcept { std::free(Block); }
void operator delete[](void* Block, std::size_t) noexcept { std::free(Block); }
void operator delete(void* Block, std::align_val_t) noexcept { std::free(Block); }
void operator delete[](void* Block, std::align_val_t) noexcept { std::free(Block); }
void operator delete(void* Block, std::size_t, std::align_val_t) noexcept { std::free(Block); }
void operator delete[](void* Block, std::size_t, std::align_val_t) noexcept { std::free(Block); }

namespace {

// ---- RapidJSON, allocating through operator new ----------------------------

struct TNewAllocator {
  static const bool kNeedFree = true;
  void* Malloc(std::size_t Size) { return Size ? ::operator new(Size) : nullptr; }
  void* Realloc(void* Old, std::size_t OldSize, std::size_t NewSize) {
    if (NewSize == 0) {
      Free(Old);
      return nullptr;
    }
    void* Block = ::operator new(NewSize);
    if (Old) std::memcpy(Block, Old, OldSize < NewSize ? OldSize : NewSize);
    Free(Old);
    return Block;
  }
  static void Free(void* Block) { ::operator delete(Block); }
};

using TRjEncoding = rapidjson::UTF16<char16_t>;
using TRjPool = rapidjson::MemoryPoolAllocator<TNewAllocator>;
using TRjDocument = rapidjson::GenericDocument<TRjEncoding, TRjPool, TNewAllocator>;
using TRjValue = rapidjson::GenericValue<TRjEncoding, TRjPool>;
using TRjBuffer = rapidjson::GenericStringBuffer<TRjEncoding, TNewAllocator>;
using TRjWriter = rapidjson::Writer<TRjBuffer, TRjEncoding, TRjEncoding, TNewAllocator>;

// ---- The work --------------------------------------------------------------

std::u16string Widen(const std::string& Text) { return std::u16string(Text.begin(), Text.end()); }

// An "instant" query of about 8 KiB: three lists of point addresses.
std::u16string TypicalQuery() {
  std::string Text = "{\"query\":\"instant\",\"id\":\"bench-0001\"";
  const char* Lists[] = {"ts", "ti", "tii"};
  int Point = 1;
  for (const char* List : Lists) {
    Text += std::string(",\"") + List + "\":[";
    for (int I = 0; I < 230; ++I, ++Point)
      Text += (I ? ",\"" : "\"") + std::to_string(Point % 7) + "." + std::to_string(1 + Point % 31) + "." +
              std::to_string(1 + Point * 13 % 500) + "\"";
    Text += "]";
  }
  return Widen(Text + "}");
}

struct TEvent {
  std::int64_t Importance;
  std::u16string Date, Address, Name, State, Type;
};

std::vector<TEvent> TypicalEvents() {
  std::vector<TEvent> Events;
  for (int I = 0; I < 2000; ++I)
    Events.push_back({I % 4, Widen("08.12.2026 14:" + std::to_string(10 + I % 50) + ":" + std::to_string(10 + I % 49)),
                      Widen(std::to_string(I % 8) + "." + std::to_string(1 + I % 40) + "." + std::to_string(1 + I)),
                      u"\u0412\u044B\u043A\u043B\u044E\u0447\u0430\u0442\u0435\u043B\u044C \u0422\u041F-" +
                          Widen(std::to_string(I)),
                      I % 2 ? u"\u0412\u041A\u041B" : u"\u041E\u0422\u041A\u041B",
                      u"\u0412\u0440\u0443\u0447\u043D\u0443\u044E"});
  return Events;
}

struct TSample {
  std::u16string Value, Flags;
};

std::vector<std::vector<TSample>> TypicalRetro() {
  std::vector<std::vector<TSample>> Points(5);
  for (int P = 0; P < 5; ++P)
    for (int I = 0; I < 1000; ++I)
      Points[P].push_back({Widen(std::to_string(100 + (I * 37 + P) % 900) + "," + std::to_string(1000 + I % 9000)),
                           I % 10 ? u"" : u"U"});
  return Points;
}

const std::vector<TEvent>& Events() {
  static const std::vector<TEvent> Data = TypicalEvents();
  return Data;
}

const std::vector<std::vector<TSample>>& Retro() {
  static const std::vector<std::vector<TSample>> Data = TypicalRetro();
  return Data;
}

// Values in a document: every value, containers included.
std::size_t CountValues(const TJsonPtr& Value) {
  std::size_t Count = 1;
  ForEachMember(Value, [&](std::u16string_view, const TJsonPtr& Member) { Count += CountValues(Member); });
  for (std::size_t I = 0; I < ArrayLength(Value); ++I) Count += CountValues(ArrayItem(Value, I));
  return Count;
}

// -- ours

TJsonPtr OursEvents() {
  const TJsonPtr Answer = NewObject();
  const TJsonPtr List = NewArray();
  PutValue(Answer, u"events", List);
  for (const TEvent& Event : Events()) {
    const TJsonPtr Item = NewObject();
    PutInteger(Item, u"imp", Event.Importance);
    PutString(Item, u"dat", Event.Date);
    PutString(Item, u"adr", Event.Address);
    PutString(Item, u"n", Event.Name);
    PutString(Item, u"st", Event.State);
    PutString(Item, u"t", Event.Type);
    ArrayAppend(List, Item);
  }
  return Answer;
}

TJsonPtr OursRetro() {
  const TJsonPtr Answer = NewObject();
  const TJsonPtr Lists = NewArray();
  PutValue(Answer, u"ti", Lists);
  for (const auto& Samples : Retro()) {
    const TJsonPtr List = NewArray();
    for (const TSample& Sample : Samples) {
      const TJsonPtr Item = NewObject();
      PutString(Item, u"v", Sample.Value);
      if (!Sample.Flags.empty()) PutString(Item, u"f", Sample.Flags);
      ArrayAppend(List, Item);
    }
    ArrayAppend(Lists, List);
  }
  return Answer;
}

// -- RapidJSON

void RjEvents(TRjDocument& Document) {
  auto& Pool = Document.GetAllocator();
  Document.SetObject();
  TRjValue List(rapidjson::kArrayType);
  for (const TEvent& Event : Events()) {
    TRjValue Item(rapidjson::kObjectType);
    const auto Text = [&](const std::u16string& S) {
      return TRjValue(S.data(), static_cast<rapidjson::SizeType>(S.size()), Pool);
    };
    Item.AddMember(TRjValue(rapidjson::StringRef(u"imp")), TRjValue(static_cast<std::int64_t>(Event.Importance)), Pool);
    Item.AddMember(TRjValue(rapidjson::StringRef(u"dat")), Text(Event.Date), Pool);
    Item.AddMember(TRjValue(rapidjson::StringRef(u"adr")), Text(Event.Address), Pool);
    Item.AddMember(TRjValue(rapidjson::StringRef(u"n")), Text(Event.Name), Pool);
    Item.AddMember(TRjValue(rapidjson::StringRef(u"st")), Text(Event.State), Pool);
    Item.AddMember(TRjValue(rapidjson::StringRef(u"t")), Text(Event.Type), Pool);
    List.PushBack(Item, Pool);
  }
  Document.AddMember(TRjValue(rapidjson::StringRef(u"events")), List, Pool);
}

void RjRetro(TRjDocument& Document) {
  auto& Pool = Document.GetAllocator();
  Document.SetObject();
  TRjValue Lists(rapidjson::kArrayType);
  for (const auto& Samples : Retro()) {
    TRjValue List(rapidjson::kArrayType);
    for (const TSample& Sample : Samples) {
      TRjValue Item(rapidjson::kObjectType);
      Item.AddMember(TRjValue(rapidjson::StringRef(u"v")),
                     TRjValue(Sample.Value.data(), static_cast<rapidjson::SizeType>(Sample.Value.size()), Pool), Pool);
      if (!Sample.Flags.empty())
        Item.AddMember(TRjValue(rapidjson::StringRef(u"f")),
                       TRjValue(Sample.Flags.data(), static_cast<rapidjson::SizeType>(Sample.Flags.size()), Pool), Pool);
      List.PushBack(Item, Pool);
    }
    Lists.PushBack(List, Pool);
  }
  Document.AddMember(TRjValue(rapidjson::StringRef(u"ti")), Lists, Pool);
}

std::size_t RjWrite(const TRjDocument& Document) {
  TRjBuffer Buffer;
  TRjWriter Writer(Buffer);
  Document.Accept(Writer);
  return Buffer.GetSize() / sizeof(char16_t);
}

// ---- Reporting ---------------------------------------------------------------

// Runs Work once more outside the timing to count its allocations, and
// sets the two figures.
template <class TWork>
void Report(benchmark::State& State, std::size_t Characters, std::size_t Values, TWork&& Work) {
  const std::size_t Before = Allocations.load(std::memory_order_relaxed);
  Work();
  const std::size_t Used = Allocations.load(std::memory_order_relaxed) - Before;
  State.counters["MB"] = benchmark::Counter(static_cast<double>(Characters) * State.iterations() / 1e6,
                                            benchmark::Counter::kIsRate);
  State.counters["allocs/value"] = static_cast<double>(Used) / static_cast<double>(Values);
  State.SetBytesProcessed(static_cast<std::int64_t>(Characters * State.iterations()));
}

const std::u16string& Query() {
  static const std::u16string Text = TypicalQuery();
  return Text;
}

void Parse_Ours(benchmark::State& State) {
  const auto Work = [] { benchmark::DoNotOptimize(ParseJson(Query())); };
  for (auto _ : State) Work();
  Report(State, Query().size(), CountValues(ParseJson(Query())), Work);
}

void Parse_RapidJson(benchmark::State& State) {
  const auto Work = [] {
    TRjDocument Document;
    Document.Parse(Query().c_str());
    benchmark::DoNotOptimize(Document.HasParseError());
  };
  for (auto _ : State) Work();
  Report(State, Query().size(), CountValues(ParseJson(Query())), Work);
}

template <TJsonPtr (*Build)()>
void BuildWrite_Ours(benchmark::State& State) {
  const auto Work = [] { benchmark::DoNotOptimize(ToJsonText(Build()).size()); };
  for (auto _ : State) Work();
  const TJsonPtr Answer = Build();
  Report(State, ToJsonText(Answer).size(), CountValues(Answer), Work);
}

template <TJsonPtr (*Build)(), void (*RjBuild)(TRjDocument&)>
void BuildWrite_RapidJson(benchmark::State& State) {
  const auto Work = [] {
    TRjDocument Document;
    RjBuild(Document);
    benchmark::DoNotOptimize(RjWrite(Document));
  };
  for (auto _ : State) Work();
  TRjDocument Document;
  RjBuild(Document);
  Report(State, RjWrite(Document), CountValues(Build()), Work);
}

template <TJsonPtr (*Build)()>
void Write_Ours(benchmark::State& State) {
  const TJsonPtr Answer = Build();
  const auto Work = [&] { benchmark::DoNotOptimize(ToJsonText(Answer).size()); };
  for (auto _ : State) Work();
  Report(State, ToJsonText(Answer).size(), CountValues(Answer), Work);
}

template <TJsonPtr (*Build)(), void (*RjBuild)(TRjDocument&)>
void Write_RapidJson(benchmark::State& State) {
  TRjDocument Document;
  RjBuild(Document);
  const auto Work = [&] { benchmark::DoNotOptimize(RjWrite(Document)); };
  for (auto _ : State) Work();
  Report(State, RjWrite(Document), CountValues(Build()), Work);
}

}  // namespace

BENCHMARK(Parse_Ours);
BENCHMARK(Parse_RapidJson);
BENCHMARK(BuildWrite_Ours<OursEvents>)->Name("BuildWrite_Ours/events");
BENCHMARK(BuildWrite_RapidJson<OursEvents, RjEvents>)->Name("BuildWrite_RapidJson/events");
BENCHMARK(BuildWrite_Ours<OursRetro>)->Name("BuildWrite_Ours/retro");
BENCHMARK(BuildWrite_RapidJson<OursRetro, RjRetro>)->Name("BuildWrite_RapidJson/retro");
BENCHMARK(Write_Ours<OursEvents>)->Name("Write_Ours/events");
BENCHMARK(Write_RapidJson<OursEvents, RjEvents>)->Name("Write_RapidJson/events");
BENCHMARK(Write_Ours<OursRetro>)->Name("Write_Ours/retro");
BENCHMARK(Write_RapidJson<OursRetro, RjRetro>)->Name("Write_RapidJson/retro");

BENCHMARK_MAIN();
