// Exported command calls: values and flags set by hand, events registered.
#include "client/UTvxConnection.h"
#include "telvex.h"

namespace {

int32_t FlagCall(int32_t Handle, TTvxOp Op, uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Flags) {
  TTvxWriter Request;
  Request.Put(Channel).Put(Rtu).Put(Point).Put(Flags);
  std::vector<uint8_t> Answer;
  return CallHandle(Handle, Op, Request, Answer) ? 1 : 0;
}

}  // namespace

extern "C" {

TVX_API int32_t tvxSetValues(int32_t Handle, int32_t Count, const TStatusValue* Values) {
  if (Count <= 0 || Count > 1000 || Values == nullptr) return 0;
  TTvxWriter Request;
  Request.Put(static_cast<uint32_t>(Count)).PutBytes(Values, static_cast<size_t>(Count) * sizeof(TStatusValue));
  std::vector<uint8_t> Answer;
  return CallHandle(Handle, TTvxOp::SetValues, Request, Answer) ? 1 : 0;
}

TVX_API int32_t tvxSetStatusFlags(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Flags) {
  return FlagCall(Handle, TTvxOp::SetStatusFlags, Channel, Rtu, Point, Flags);
}

TVX_API int32_t tvxClrStatusFlags(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Flags) {
  return FlagCall(Handle, TTvxOp::ClrStatusFlags, Channel, Rtu, Point, Flags);
}

TVX_API int32_t tvxSetAnalogFlags(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Flags) {
  return FlagCall(Handle, TTvxOp::SetAnalogFlags, Channel, Rtu, Point, Flags);
}

TVX_API int32_t tvxSetAnalog(int32_t Handle, uint16_t Channel, uint16_t Rtu, uint16_t Point, float Value,
                             int32_t Reserved) {
  TTvxWriter Request;
  Request.Put(Channel).Put(Rtu).Put(Point).Put(Value).Put(Reserved);
  std::vector<uint8_t> Answer;
  return CallHandle(Handle, TTvxOp::SetAnalog, Request, Answer) ? 1 : 0;
}

TVX_API int32_t tvxRegEvent(int32_t Handle, const TServerEvent* Event) {
  if (Event == nullptr) return 0;
  TTvxWriter Request;
  Request.Put(*Event);
  std::vector<uint8_t> Answer;
  return CallHandle(Handle, TTvxOp::RegEvent, Request, Answer) ? 1 : 0;
}

}  // extern "C"
