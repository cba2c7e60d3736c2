#include "UAdminPoints.h"

#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>

#include "UDynamics.h"
#include "UHandlers.h"
#include "UText.h"
#include "protocol/UTvxTime.h"

TJsonPtr OkAnswer() {
  const TJsonPtr Answer = NewObject();
  PutValue(Answer, u"ok", NewBoolean(true));
  return Answer;
}

int64_t OptionalInteger(const TJsonPtr& Request, const char16_t* Name, int64_t Default, int64_t Low, int64_t High) {
  const TJsonPtr Value = GetField(Request, Name);
  if (!Value) return Default;
  if (Kind(Value) != TJsonKind::Integer || AsInteger(Value) < Low || AsInteger(Value) > High)
    throw std::runtime_error("\"" + Utf16ToUtf8(Name) + "\" must be an integer from " + std::to_string(Low) + " to " +
                             std::to_string(High));
  return AsInteger(Value);
}

int64_t RequiredInteger(const TJsonPtr& Request, const char16_t* Name, int64_t Low, int64_t High) {
  if (!GetField(Request, Name)) throw std::runtime_error("\"" + Utf16ToUtf8(Name) + "\" is missing");
  return OptionalInteger(Request, Name, 0, Low, High);
}

namespace {

// The object a request names: "kind" ts, ti, tii, ch or rtu and "address"
// (channel.rtu.point, channel.rtu or channel; ":" also separates).
struct TTarget {
  std::u16string Kind;
  TTvxAddress Address{};
};

TTarget ReadTarget(const TJsonPtr& Request) {
  TTarget Target;
  Target.Kind = AsText(GetField(Request, u"kind"));
  const std::string Text = Utf16ToUtf8(AsText(GetField(Request, u"address")));
  unsigned Numbers[3] = {0, 0, 0};
  char Separator1 = 0, Separator2 = 0;
  const int Read = std::sscanf(Text.c_str(), "%u%c%u%c%u", &Numbers[0], &Separator1, &Numbers[1], &Separator2,
                               &Numbers[2]);
  const int Wanted = Target.Kind == u"ch" ? 1 : Target.Kind == u"rtu" ? 3 : 5;
  if (Read != Wanted || Numbers[0] > 255 || Numbers[1] > 255 || Numbers[2] > 65535)
    throw std::runtime_error("\"kind\" (ts, ti, tii, ch, rtu) and \"address\" do not name an object");
  Target.Address = {static_cast<uint16_t>(Numbers[0]), static_cast<uint16_t>(Numbers[1]),
                    static_cast<uint16_t>(Numbers[2])};
  return Target;
}

uint16_t PointKind(const std::u16string& Kind) {
  return Kind == u"ts" ? TVX_KIND_STATUS : Kind == u"ti" ? TVX_KIND_ANALOG : Kind == u"tii" ? TVX_KIND_ACCUM : 0;
}

// The name field of the target; throws when there is no such object.
std::string& NameOf(TModel& Model, const TTarget& Target) {
  if (Target.Kind == u"ch") {
    const auto Found = Model.Channels.find(Target.Address.Channel);
    if (Found != Model.Channels.end()) return Found->second.Name;
  } else if (Target.Kind == u"rtu") {
    if (TRtu* Rtu = Model.FindRtu(Target.Address.Channel, Target.Address.Rtu)) return Rtu->Name;
  } else if (TPointBase* Point = Model.FindPoint(PointKind(Target.Kind), Target.Address)) {
    return Point->Name;
  }
  throw std::runtime_error("no such object");
}

std::optional<std::string> OptionalText(const TJsonPtr& Value) {
  if (Kind(Value) == TJsonKind::Null) return std::nullopt;
  if (Kind(Value) != TJsonKind::String) throw std::runtime_error("texts are strings (or null for the dataset's own)");
  return Utf8ToServer(Utf16ToUtf8(AsText(Value)));
}

// Value and flags changes, from now on; a status value also makes a
// status change event unless "event" is false.
void ChangePoint(TSimulator& Sim, const TTarget& Target, TPointBase& Point, const TJsonPtr& Request, int64_t Now) {
  TOverride Change;
  Change.TimeMs = Now;
  const TJsonPtr Value = GetField(Request, u"value");
  if (Value) {
    if (Kind(Value) != TJsonKind::Integer && Kind(Value) != TJsonKind::Currency && Kind(Value) != TJsonKind::Double)
      throw std::runtime_error("\"value\" must be a number");
    if (Target.Kind == u"ts" && AsInteger(Value) != 0 && AsInteger(Value) != 1)
      throw std::runtime_error("a status value is 0 or 1");
    Change.HasValue = true;
    Change.Value = AsDouble(Value);
  }
  if (GetField(Request, u"flags")) {
    Change.SetFlags = static_cast<uint16_t>(RequiredInteger(Request, u"flags", 0, 0xFFFF));
    Change.ClearFlags = static_cast<uint16_t>(~Change.SetFlags);
  }
  Change.SetFlags |= static_cast<uint16_t>(OptionalInteger(Request, u"setFlags", 0, 0, 0xFFFF));
  Change.ClearFlags |= static_cast<uint16_t>(OptionalInteger(Request, u"clearFlags", 0, 0, 0xFFFF));
  if (!Change.HasValue && Change.SetFlags == 0 && Change.ClearFlags == 0) return;
  Sim.GenerateUntil(Now);  // the point's own earlier events keep their places
  AddOverride(Point, Change);
  const TJsonPtr Event = GetField(Request, u"event");
  if (Target.Kind == u"ts" && Change.HasValue && !(Kind(Event) == TJsonKind::Boolean && AsInteger(Event) == 0)) {
    const TRtu& Rtu = *Sim.Model.FindRtu(Target.Address.Channel, Target.Address.Rtu);
    Sim.Log.Append(StatusChangeRecord(Rtu, Target.Address, static_cast<TStatusPoint&>(Point), Now));
  }
}

}  // namespace

TJsonPtr SetObject(TSimulator& Sim, const TJsonPtr& Request) {
  const TTarget Target = ReadTarget(Request);
  const int64_t Now = LocalNowMs();
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  std::string& Name = NameOf(Sim.Model, Target);  // throws for an unknown object
  TPointBase* Point = Sim.Model.FindPoint(PointKind(Target.Kind), Target.Address);
  TStatusPoint* Status = Target.Kind == u"ts" ? static_cast<TStatusPoint*>(Point) : nullptr;
  if (!Point && (GetField(Request, u"value") || GetField(Request, u"flags") || GetField(Request, u"properties")))
    throw std::runtime_error("values, flags and properties belong to points");
  if (GetField(Request, u"classData") && !Status) throw std::runtime_error("class data belongs to status points");
  if (const TJsonPtr Text = GetField(Request, u"name")) {
    if (Kind(Text) != TJsonKind::String) throw std::runtime_error("\"name\" must be a string");
    Name = Utf8ToServer(Utf16ToUtf8(AsText(Text)));
  }
  if (const TJsonPtr Text = GetField(Request, u"properties")) Point->Properties = OptionalText(Text);
  if (const TJsonPtr Text = GetField(Request, u"classData")) Status->ClassData = OptionalText(Text);
  if (Point) ChangePoint(Sim, Target, *Point, Request, Now);
  return OkAnswer();
}

TJsonPtr GetPoint(TSimulator& Sim, const TJsonPtr& Request) {
  const TTarget Target = ReadTarget(Request);
  const int64_t Now = LocalNowMs();
  const TJsonPtr Answer = OkAnswer();
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  PutString(Answer, u"name", Utf8ToUtf16(ServerToUtf8(NameOf(Sim.Model, Target))));
  TModel& M = Sim.Model;
  if (const TStatusPoint* P = Target.Kind == u"ts" ? M.FindStatus(Target.Address) : nullptr) {
    PutInteger(Answer, u"value", StatusStateAt(*P, Now));
    PutInteger(Answer, u"flags", StatusFlagsAt(*P, Now));
  } else if (const TAnalogPoint* A = Target.Kind == u"ti" ? M.FindAnalog(Target.Address) : nullptr) {
    PutValue(Answer, u"value", NewDouble(AnalogValueAt(*A, Now)));
    PutInteger(Answer, u"flags", AnalogFlagsAt(*A, Now));
  } else if (const TAccumPoint* C = Target.Kind == u"tii" ? M.FindAccum(Target.Address) : nullptr) {
    PutValue(Answer, u"value", NewDouble(AccumValueAt(*C, Now)));
    PutInteger(Answer, u"flags", AccumFlagsAt(*C, Now));
  }
  return Answer;
}
