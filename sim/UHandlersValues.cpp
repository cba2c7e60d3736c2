// Readings by list, the full analog record, the retrospective, one state.
#include <cstring>
#include <mutex>

#include "UDynamics.h"
#include "UHandlers.h"
#include "protocol/UTvxTime.h"

namespace {

TStatusReading StatusReading(TModel& Model, const TTvxAddress& A, int64_t Ms) {
  const TStatusPoint* P = Model.FindStatus(A);
  if (!P) return {-1, TVX_FLAGS_NONE};
  return {static_cast<int16_t>(StatusStateAt(*P, Ms)), StatusFlagsAt(*P, Ms)};
}

// The reading of a point that the server does not know: no value.
template <typename TReading>
TReading NoValue() {
  TReading R{};
  R.Flags = TVX_FLAGS_NONE;
  return R;
}

TAnalogReading AnalogReading(TModel& Model, const TTvxAddress& A, int64_t Ms) {
  const TAnalogPoint* P = Model.FindAnalog(A);
  if (!P) return NoValue<TAnalogReading>();
  TAnalogReading R{};
  R.Value = AnalogValueAt(*P, Ms);
  R.AlarmState = AnalogAlarmStateAt(*P, Ms);
  R.Flags = AnalogFlagsAt(*P, Ms);
  std::memcpy(R.Units, P->Units, sizeof R.Units);
  return R;
}

TAccumReading AccumReading(TModel& Model, const TTvxAddress& A, int64_t Ms) {
  const TAccumPoint* P = Model.FindAccum(A);
  if (!P) return NoValue<TAccumReading>();
  TAccumReading R{};
  R.Value = AccumValueAt(*P, Ms);
  R.LastValue = AccumLastValueAt(*P, Ms);
  R.Flags = AccumFlagsAt(*P, Ms);
  std::memcpy(R.Units, P->Units, sizeof R.Units);
  return R;
}

// One reading per address of the request, each at the same moment.
template <typename TRead>
bool ByList(TSimulator& Sim, TTvxReader& Request, TTvxWriter& Answer, TRead Read) {
  const uint16_t Count = Request.Get<uint16_t>();
  std::vector<TTvxAddress> List(Count);
  Request.GetBytes(List.data(), List.size() * sizeof(TTvxAddress));
  if (!Request.Done()) return false;
  const int64_t Now = LocalNowMs();
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  for (const TTvxAddress& A : List) Answer.Put(Read(Sim.Model, A, Now));
  return true;
}

TAnalogFull FullRecord(const TAnalogPoint& P, int64_t Ms) {
  TAnalogFull R{};
  R.Value = AnalogValueAt(P, Ms);
  R.AlarmState = AnalogAlarmStateAt(P, Ms);
  R.Flags = AnalogFlagsAt(P, Ms);
  std::memcpy(R.Units, P.Units, sizeof R.Units);
  R.MinValue = P.MinValue;
  R.MaxValue = P.MaxValue;
  bool First = true;
  for (const TAnalogAlarm& Alarm : P.Alarms) {
    const auto Limit = static_cast<float>(Alarm.Limit);
    R.LowLimit = First ? Limit : std::min(R.LowLimit, Limit);
    R.HighLimit = First ? Limit : std::max(R.HighLimit, Limit);
    First = false;
  }
  R.AlarmCount = static_cast<uint16_t>(P.Alarms.size());
  R.UpdateTime = static_cast<int32_t>(Ms / 1000);
  return R;
}

// Samples from Start on, one per Step seconds; moments still to come have
// no value.
bool Retro(TSimulator& Sim, TTvxReader& Request, TTvxWriter& Answer) {
  const TTvxAddress A = ReadAddress(Request);
  const int64_t Start = Request.Get<int32_t>();
  const int64_t Step = Request.Get<uint32_t>();
  const uint16_t Count = Request.Get<uint16_t>();
  if (!Request.Done() || (Step == 0 && Count > 1)) return false;
  const int64_t Now = LocalNowMs();
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  const TAnalogPoint* P = Sim.Model.FindAnalog(A);
  if (!P) return false;
  for (int64_t K = 0; K < Count; ++K) {
    const int64_t Ms = (Start + K * Step) * 1000;
    const TRetroReading Sample =
        Ms > Now ? TRetroReading{0, TVX_FLAGS_NONE} : TRetroReading{AnalogValueAt(*P, Ms), AnalogFlagsAt(*P, Ms)};
    Answer.Put(Sample);
  }
  return true;
}

}  // namespace

bool HandleValues(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer) {
  switch (Op) {
    case TTvxOp::StatusByList:
      return ByList(Sim, Request, Answer, StatusReading);
    case TTvxOp::AnalogByList:
      return ByList(Sim, Request, Answer, AnalogReading);
    case TTvxOp::AccumByList:
      return ByList(Sim, Request, Answer, AccumReading);
    case TTvxOp::TakeRetroTit:
      return Retro(Sim, Request, Answer);
    case TTvxOp::AnalogFull: {
      const TTvxAddress A = ReadAddress(Request);
      if (!Request.Done()) return false;
      std::lock_guard<std::mutex> Guard(Sim.Lock);
      const TAnalogPoint* P = Sim.Model.FindAnalog(A);
      if (!P) return false;
      Answer.Put(FullRecord(*P, LocalNowMs()));
      return true;
    }
    case TTvxOp::Status: {
      const TTvxAddress A = ReadAddress(Request);
      if (!Request.Done()) return false;
      std::lock_guard<std::mutex> Guard(Sim.Lock);
      const TStatusPoint* P = Sim.Model.FindStatus(A);
      if (!P) return false;
      Answer.Put(static_cast<int32_t>(StatusStateAt(*P, LocalNowMs())));
      return true;
    }
    default:
      return false;
  }
}
