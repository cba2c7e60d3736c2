#include "UAdmin.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <stdexcept>

#include "UAdminPoints.h"
#include "UHandlers.h"
#include "UText.h"
#include "json/UJson.h"
#include "protocol/UTvxTime.h"

namespace {

// Longest request line accepted.
constexpr size_t MaxLine = 1 << 20;

TJsonPtr Inject(TSimulator& Sim, const TJsonPtr& Request) {
  const std::string Hex = Utf16ToUtf8(AsText(GetField(Request, u"event")));
  TServerEvent Record;
  if (Kind(GetField(Request, u"event")) != TJsonKind::String || Hex.size() != 2 * sizeof Record)
    throw std::runtime_error("\"event\" must be 112 hexadecimal digits (the 56-byte record)");
  auto* Bytes = reinterpret_cast<uint8_t*>(&Record);
  for (size_t I = 0; I < sizeof Record; ++I) {
    unsigned Byte = 0;
    if (std::sscanf(Hex.c_str() + 2 * I, "%2x", &Byte) != 1 || !std::isxdigit(static_cast<unsigned char>(Hex[2 * I])) ||
        !std::isxdigit(static_cast<unsigned char>(Hex[2 * I + 1])))
      throw std::runtime_error("\"event\" must be 112 hexadecimal digits (the 56-byte record)");
    Bytes[I] = static_cast<uint8_t>(Byte);
  }
  const TJsonPtr Answer = OkAnswer();
  PutInteger(Answer, u"number", RegisterEvent(Sim, Record));
  return Answer;
}

TJsonPtr FailCalls(TSimulator& Sim, const TJsonPtr& Request) {
  const std::string Name = Utf16ToUtf8(AsText(GetField(Request, u"call")));
  const TTvxOp Op = TvxOpByName(Name);
  if (Op == TTvxOp::Count_) throw std::runtime_error("unknown call \"" + Name + "\"");
  Sim.FailNext(Op, RequiredInteger(Request, u"count", 0, INT32_MAX));
  return OkAnswer();
}

TJsonPtr Counters(TSimulator& Sim) {
  const TJsonPtr Answer = OkAnswer();
  const TJsonPtr Counts = NewObject();
  for (size_t I = 1; I < static_cast<size_t>(TTvxOp::Count_); ++I) {
    const auto Op = static_cast<TTvxOp>(I);
    PutInteger(Counts, Utf8ToUtf16(TvxOpName(Op)), Sim.Calls(Op));
  }
  PutValue(Answer, u"counters", Counts);
  return Answer;
}

TJsonPtr Current(TSimulator& Sim) {
  const int64_t Now = LocalNowMs();
  const TJsonPtr Answer = OkAnswer();
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  Sim.GenerateUntil(Now);
  PutInteger(Answer, u"eventNumber", Sim.Log.Newest());
  PutString(Answer, u"time", Utf8ToUtf16(TvxTimeTextMs(Now)));
  return Answer;
}

TJsonPtr KeepMessage(TSimulator& Sim, const TJsonPtr& Request) {
  TStoredMessage Message;
  const auto Index = static_cast<uint32_t>(RequiredInteger(Request, u"index", 0, UINT32_MAX));
  Message.Kind = static_cast<uint32_t>(OptionalInteger(Request, u"kind", 0, 0, UINT32_MAX));
  Message.Layout = static_cast<uint16_t>(OptionalInteger(Request, u"layout", 0x100, 0, 0xFFFF));
  Message.Text1 = Utf8ToServer(Utf16ToUtf8(AsText(GetField(Request, u"text1"))));
  Message.Text2 = Utf8ToServer(Utf16ToUtf8(AsText(GetField(Request, u"text2"))));
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  Sim.Log.KeepMessage(Index, std::move(Message));
  return OkAnswer();
}

TJsonPtr Dispatch(TSimulator& Sim, TAcceptor& Pipe, const TJsonPtr& Request) {
  const std::u16string Op = AsText(GetField(Request, u"op"));
  if (Op == u"ping") return OkAnswer();
  if (Op == u"inject") return Inject(Sim, Request);
  if (Op == u"fail") return FailCalls(Sim, Request);
  if (Op == u"drop") {
    const TJsonPtr Answer = OkAnswer();
    PutInteger(Answer, u"dropped", static_cast<int64_t>(Pipe.DropAll()));
    return Answer;
  }
  if (Op == u"refuse") {
    Sim.RefuseUntilMs.store(MonotonicMs() + 1000 * RequiredInteger(Request, u"seconds", 0, 86400));
    return OkAnswer();
  }
  if (Op == u"delay") {
    Sim.DelayMs.store(static_cast<int32_t>(RequiredInteger(Request, u"ms", 0, 60000)));
    return OkAnswer();
  }
  if (Op == u"eventlog") {
    const TJsonPtr Usable = GetField(Request, u"usable");
    if (Kind(Usable) != TJsonKind::Boolean) throw std::runtime_error("\"usable\" must be true or false");
    Sim.LogUnusable.store(AsInteger(Usable) == 0);
    return OkAnswer();
  }
  if (Op == u"set") return SetObject(Sim, Request);
  if (Op == u"get") return GetPoint(Sim, Request);
  if (Op == u"counters") return Counters(Sim);
  if (Op == u"reset") {
    Sim.ResetCounters();
    return OkAnswer();
  }
  if (Op == u"current") return Current(Sim);
  if (Op == u"message") return KeepMessage(Sim, Request);
  throw std::runtime_error("unknown op \"" + Utf16ToUtf8(Op) + "\"");
}

}  // namespace

std::string AdminAnswer(TSimulator& Sim, TAcceptor& Pipe, const std::string& Line) {
  TJsonPtr Answer;
  try {
    const TJsonPtr Request = ParseJson(Utf8ToUtf16(Line));
    if (Kind(Request) != TJsonKind::Object) throw std::runtime_error("a request is one JSON object");
    Answer = Dispatch(Sim, Pipe, Request);
  } catch (const std::exception& Error) {
    Answer = NewObject();
    PutValue(Answer, u"ok", NewBoolean(false));
    PutString(Answer, u"error", Utf8ToUtf16(Error.what()));
  }
  return Utf16ToUtf8(ToJsonText(Answer));
}

void ServeAdminConnection(TSimulator& Sim, TAcceptor& Pipe, TTvxStream& Stream) {
  std::string Pending;
  char Buffer[4096];
  for (;;) {
    const int Count = Stream.ReadSome(Buffer, sizeof Buffer, -1);
    if (Count <= 0) return;
    Pending.append(Buffer, static_cast<size_t>(Count));
    size_t End;
    while ((End = Pending.find('\n')) != std::string::npos) {
      std::string Line = Pending.substr(0, End);
      Pending.erase(0, End + 1);
      if (!Line.empty() && Line.back() == '\r') Line.pop_back();
      if (Line.find_first_not_of(" \t") == std::string::npos) continue;
      const std::string Answer = AdminAnswer(Sim, Pipe, Line) + "\n";
      if (!Stream.WriteAll(Answer.data(), Answer.size(), 10000)) return;
    }
    if (Pending.size() > MaxLine) return;  // no line end in sight: not a client of ours
  }
}
