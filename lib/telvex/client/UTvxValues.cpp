// Exported value calls: readings by list, the full analog record, the
// retrospective and the state of one status point.
#include <cstring>

#include "client/UTvxConnection.h"
#include "telvex.h"

namespace {

// Sends Count addresses and copies Count records of RecordSize bytes from
// the answer into Result; Result stays untouched unless all arrived.
int32_t ListCall(int32_t Handle, TTvxOp Op, uint16_t Count, const TTvxAddress* List, void* Result,
                 size_t RecordSize) {
  if (Count > 0 && (List == nullptr || Result == nullptr)) return 0;
  TTvxWriter Request;
  Request.Put(Count).PutBytes(List, Count * sizeof(TTvxAddress));
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, Op, Request, Answer) || Answer.size() != Count * RecordSize) return 0;
  if (Count > 0) std::memcpy(Result, Answer.data(), Answer.size());
  return 1;
}

TTvxWriter PointRequest(uint16_t Channel, uint16_t Rtu, uint16_t Point) {
  TTvxWriter Request;
  Request.Put(Channel).Put(Rtu).Put(Point);
  return Request;
}

}  // namespace

extern "C" {

TVX_API int32_t tvxStatusByList(int32_t Handle, uint16_t Count, const TTvxAddress* List, TStatusReading* Result) {
  return ListCall(Handle, TTvxOp::StatusByList, Count, List, Result, sizeof(TStatusReading));
}

TVX_API int32_t tvxAnalogByList(int32_t Handle, uint16_t Count, const TTvxAddress* List, TAnalogReading* Result,
                                int32_t, int32_t) {
  return ListCall(Handle, TTvxOp::AnalogByList, Count, List, Result, sizeof(TAnalogReading));
}

TVX_API int32_t tvxAccumByList(int32_t Handle, uint16_t Count, const TTvxAddress* List, TAccumReading* Result,
                               int32_t) {
  return ListCall(Handle, TTvxOp::AccumByList, Count, List, Result, sizeof(TAccumReading));
}

TVX_API int32_t tvxAnalogFull(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, TAnalogFull* Record,
                              int32_t, int32_t) {
  std::vector<uint8_t> Answer;
  if (Record == nullptr || !CallHandle(Handle, TTvxOp::AnalogFull, PointRequest(Channel, Rtu, Point), Answer) ||
      Answer.size() != sizeof(TAnalogFull))
    return 0;
  std::memcpy(Record, Answer.data(), sizeof(TAnalogFull));
  return 1;
}

TVX_API int32_t tvxTakeRetroTit(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, int32_t Start,
                                int32_t StepHigh, uint16_t Count, uint16_t Step, TRetroReading* Result) {
  const uint32_t FullStep = static_cast<uint32_t>(Step) + (static_cast<uint32_t>(StepHigh) << 16);
  if (Count > 0 && Result == nullptr) return 0;
  TTvxWriter Request = PointRequest(Channel, Rtu, Point);
  Request.Put(Start).Put(FullStep).Put(Count);
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, TTvxOp::TakeRetroTit, Request, Answer) || Answer.size() != Count * sizeof(TRetroReading))
    return 0;
  if (Count > 0) std::memcpy(Result, Answer.data(), Answer.size());
  return 1;
}

TVX_API int32_t tvxStatus(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point) {
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, TTvxOp::Status, PointRequest(Channel, Rtu, Point), Answer)) return -1;
  TTvxReader Reader(Answer);
  const int32_t State = Reader.Get<int32_t>();
  return Reader.Done() ? State : -1;
}

}  // extern "C"
