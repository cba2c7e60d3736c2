// Names, properties, enumeration and class data of objects.
#include <mutex>

#include "UHandlers.h"

namespace {

// The name of an object, or null when there is no such object.
const std::string* ObjectName(TModel& Model, uint16_t Kind, const TTvxAddress& A) {
  if (Kind == TVX_KIND_CHANNEL) {
    const auto Found = Model.Channels.find(A.Channel);
    return Found == Model.Channels.end() ? nullptr : &Found->second.Name;
  }
  if (Kind == TVX_KIND_RTU) {
    const TRtu* Rtu = Model.FindRtu(A.Channel, A.Rtu);
    return Rtu ? &Rtu->Name : nullptr;
  }
  const TPointBase* Point = Model.FindPoint(Kind, A);
  return Point ? &Point->Name : nullptr;
}

const std::string* AlarmName(TModel& Model, const TTvxAddress& A, uint16_t Number) {
  const TAnalogPoint* Point = Model.FindAnalog(A);
  if (!Point) return nullptr;
  for (const TAnalogAlarm& Alarm : Point->Alarms)
    if (Alarm.Number == Number) return &Alarm.Name;
  return nullptr;
}

void PutName(TTvxWriter& Answer, const std::string* Name) {
  Answer.Put(static_cast<uint8_t>(Name ? 1 : 0)).PutText(Name ? *Name : std::string());
}

bool Properties(TModel& Model, uint16_t Kind, const TTvxAddress& A, std::string& Text) {
  switch (Kind) {
    case TVX_KIND_STATUS:
      if (const TStatusPoint* P = Model.FindStatus(A)) return Text = PropertiesText(*P), true;
      return false;
    case TVX_KIND_ANALOG:
      if (const TAnalogPoint* P = Model.FindAnalog(A)) return Text = PropertiesText(*P), true;
      return false;
    case TVX_KIND_ACCUM:
      if (const TAccumPoint* P = Model.FindAccum(A)) return Text = PropertiesText(*P), true;
      return false;
    default:
      if (const std::string* Name = ObjectName(Model, Kind, A)) return Text = "Name=" + *Name, true;
      return false;
  }
}

template <typename TMap>
void Collect(const TMap& Map, uint16_t First, uint16_t Limit, std::vector<uint16_t>& Ids) {
  for (auto It = Map.lower_bound(First); It != Map.end() && Ids.size() < Limit; ++It) Ids.push_back(It->first);
}

std::vector<uint16_t> Enumerate(TModel& Model, uint16_t Kind, const TTvxAddress& A, uint16_t First, uint16_t Limit) {
  std::vector<uint16_t> Ids;
  if (Kind == TVX_KIND_CHANNEL) {
    Collect(Model.Channels, First, Limit, Ids);
  } else if (Kind == TVX_KIND_RTU) {
    const auto Channel = Model.Channels.find(A.Channel);
    if (Channel != Model.Channels.end()) Collect(Channel->second.Rtus, First, Limit, Ids);
  } else if (const TRtu* Rtu = Model.FindRtu(A.Channel, A.Rtu)) {
    if (Kind == TVX_KIND_STATUS) Collect(Rtu->Status, First, Limit, Ids);
    if (Kind == TVX_KIND_ANALOG) Collect(Rtu->Analog, First, Limit, Ids);
    if (Kind == TVX_KIND_ACCUM) Collect(Rtu->Accum, First, Limit, Ids);
  }
  return Ids;
}

}  // namespace

bool HandleObjects(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer) {
  const uint16_t Kind = Request.Get<uint16_t>();
  const TTvxAddress A = ReadAddress(Request);
  std::lock_guard<std::mutex> Guard(Sim.Lock);
  switch (Op) {
    case TTvxOp::GetObjectName:
      if (!Request.Done()) return false;
      PutName(Answer, ObjectName(Sim.Model, Kind, A));
      return true;
    case TTvxOp::GetObjectNameEx: {
      const uint16_t Number = Request.Get<uint16_t>();
      if (!Request.Done()) return false;
      PutName(Answer, Kind == TVX_KIND_ANALOG_ALARM ? AlarmName(Sim.Model, A, Number) : ObjectName(Sim.Model, Kind, A));
      return true;
    }
    case TTvxOp::GetObjectProperties: {
      std::string Text;
      if (!Request.Done() || !Properties(Sim.Model, Kind, A, Text)) return false;
      Answer.PutText(Text);
      return true;
    }
    case TTvxOp::EnumObjects: {
      const uint16_t Limit = std::min<uint16_t>(Request.Get<uint16_t>(), 255);
      if (!Request.Done()) return false;
      // The address's last field is the first identifier wanted.
      const std::vector<uint16_t> Ids = Enumerate(Sim.Model, Kind, A, A.Point, Limit);
      Answer.Put(static_cast<uint16_t>(Ids.size())).PutBytes(Ids.data(), Ids.size() * sizeof(uint16_t));
      return true;
    }
    case TTvxOp::GetStatusClassData: {
      Request.Get<int32_t>();  // the mode: every mode gives the same lines here
      const TStatusPoint* Point = Sim.Model.FindStatus(A);
      if (!Request.Done() || !Point) return false;
      const std::string Text = ClassDataText(Sim.Model, *Point);
      if (Text.empty()) return false;
      Answer.PutText(Text);
      return true;
    }
    default:
      return false;
  }
}
