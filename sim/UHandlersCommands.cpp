// Values and flags set by hand, and events registered by clients.
#include <mutex>

#include "UHandlers.h"
#include "protocol/UTvxTime.h"

namespace {

bool ValidStatusValue(const TStatusValue& V) {
  return V.Operation == TVX_SET_STATUS_BY_HAND && V.ValueKind == TVX_VALUE_INT32 && (V.Value == 0 || V.Value == 1);
}

// Every record is checked before any point changes: all or nothing.
bool SetValues(TSimulator& Sim, TTvxReader& Request) {
  const uint32_t Count = Request.Get<uint32_t>();
  if (Count == 0 || Count > 1000) return false;
  std::vector<TStatusValue> Values(Count);
  Request.GetBytes(Values.data(), Values.size() * sizeof(TStatusValue));
  if (!Request.Done()) return false;
  const int64_t Now = LocalNowMs();
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  for (const TStatusValue& V : Values)
    if (!ValidStatusValue(V) || !Sim.Model.FindStatus({V.Channel, V.Rtu, V.Point})) return false;
  Sim.GenerateUntil(Now);  // the network's earlier events come first
  for (const TStatusValue& V : Values) {
    TOverride Change;
    Change.TimeMs = Now;
    Change.HasValue = true;
    Change.Value = V.Value;
    Change.SetFlags = V.FlagByte;
    AddOverride(*Sim.Model.FindStatus({V.Channel, V.Rtu, V.Point}), Change);
  }
  return true;
}

bool ChangeFlags(TSimulator& Sim, uint16_t Kind, bool Set, TTvxReader& Request) {
  const TTvxAddress A = ReadAddress(Request);
  const uint16_t Flags = Request.Get<uint16_t>();
  if (!Request.Done()) return false;
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  TPointBase* Point = Sim.Model.FindPoint(Kind, A);
  if (!Point) return false;
  TOverride Change;
  Change.TimeMs = LocalNowMs();
  Sim.GenerateUntil(Change.TimeMs);
  (Set ? Change.SetFlags : Change.ClearFlags) = Flags;
  AddOverride(*Point, Change);
  return true;
}

bool SetAnalog(TSimulator& Sim, TTvxReader& Request) {
  const TTvxAddress A = ReadAddress(Request);
  const float Value = Request.Get<float>();
  Request.Get<int32_t>();  // reserved
  if (!Request.Done() || Value != Value) return false;  // no NaN values
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  TAnalogPoint* Point = Sim.Model.FindAnalog(A);
  if (!Point) return false;
  TOverride Change;
  Change.TimeMs = LocalNowMs();
  Sim.GenerateUntil(Change.TimeMs);
  Change.HasValue = true;
  Change.Value = Value;
  AddOverride(*Point, Change);
  return true;
}

}  // namespace

// An event without a time text gets the server's time of its arrival.
int64_t RegisterEvent(TSimulator& Sim, TServerEvent Record) {
  const int64_t Now = LocalNowMs();
  if (Record.TimeText[0] == '\0') PutField(Record.TimeText, sizeof Record.TimeText, TvxTimeTextMs(Now));
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  Sim.GenerateUntil(Now);  // the network's earlier events come first
  return Sim.Log.Append(Record);
}

bool HandleCommands(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer) {
  switch (Op) {
    case TTvxOp::SetValues:
      return SetValues(Sim, Request);
    case TTvxOp::SetStatusFlags:
      return ChangeFlags(Sim, TVX_KIND_STATUS, true, Request);
    case TTvxOp::ClrStatusFlags:
      return ChangeFlags(Sim, TVX_KIND_STATUS, false, Request);
    case TTvxOp::SetAnalogFlags:
      return ChangeFlags(Sim, TVX_KIND_ANALOG, true, Request);
    case TTvxOp::SetAnalog:
      return SetAnalog(Sim, Request);
    case TTvxOp::RegEvent: {
      const TServerEvent Record = Request.Get<TServerEvent>();
      if (!Request.Done()) return false;
      Answer.Put(RegisterEvent(Sim, Record));
      return true;
    }
    default:
      return false;
  }
}
