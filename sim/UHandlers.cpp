#include "UHandlers.h"

#include <algorithm>

#include "protocol/UTvxTime.h"

void AddOverride(TPointBase& Point, const TOverride& Change) {
  const auto At = std::upper_bound(Point.Overrides.begin(), Point.Overrides.end(), Change,
                                   [](const TOverride& A, const TOverride& B) { return A.TimeMs < B.TimeMs; });
  Point.Overrides.insert(At, Change);
}

TTvxAddress ReadAddress(TTvxReader& Request) {
  TTvxAddress Address;
  Address.Channel = Request.Get<uint16_t>();
  Address.Rtu = Request.Get<uint16_t>();
  Address.Point = Request.Get<uint16_t>();
  return Address;
}

bool HandleCall(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer) {
  switch (Op) {
    case TTvxOp::Hello:
      if (Request.Get<uint32_t>() != TvxProtocolMagic || !Request.Done()) return false;
      Answer.Put(TvxProtocolMagic);
      return true;
    case TTvxOp::SystemTime:
      if (!Request.Done()) return false;
      Answer.PutText(TvxTimeTextMs(LocalNowMs()));
      return true;
    case TTvxOp::GetObjectName:
    case TTvxOp::GetObjectNameEx:
    case TTvxOp::GetObjectProperties:
    case TTvxOp::EnumObjects:
    case TTvxOp::GetStatusClassData:
      return HandleObjects(Sim, Op, Request, Answer);
    case TTvxOp::StatusByList:
    case TTvxOp::AnalogByList:
    case TTvxOp::AccumByList:
    case TTvxOp::AnalogFull:
    case TTvxOp::TakeRetroTit:
    case TTvxOp::Status:
      return HandleValues(Sim, Op, Request, Answer);
    case TTvxOp::SetValues:
    case TTvxOp::SetStatusFlags:
    case TTvxOp::ClrStatusFlags:
    case TTvxOp::SetAnalog:
    case TTvxOp::SetAnalogFlags:
    case TTvxOp::RegEvent:
      return HandleCommands(Sim, Op, Request, Answer);
    case TTvxOp::GetCurrentElix:
    case TTvxOp::EventLogByElix:
    case TTvxOp::EventLogByIndex:
      return HandleEventLog(Sim, Op, Request, Answer);
    case TTvxOp::Count_:
      break;
  }
  return false;
}
