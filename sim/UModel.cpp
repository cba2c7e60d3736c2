#include "UModel.h"

#include <cstring>

TRtu* TModel::FindRtu(uint16_t Channel, uint16_t Rtu) {
  const auto C = Channels.find(Channel);
  if (C == Channels.end()) return nullptr;
  const auto R = C->second.Rtus.find(Rtu);
  return R == C->second.Rtus.end() ? nullptr : &R->second;
}

namespace {

template <typename TPoint>
TPoint* FindIn(std::map<uint16_t, TPoint>& Points, uint16_t Number) {
  const auto Found = Points.find(Number);
  return Found == Points.end() ? nullptr : &Found->second;
}

std::string AddressText(const TTvxAddress& A) {
  return std::to_string(A.Channel) + ":" + std::to_string(A.Rtu) + ":" + std::to_string(A.Point);
}

std::string UnitsText(const char* Units) {
  size_t Size = 0;
  while (Size < 8 && Units[Size] != '\0' && Units[Size] != ' ') ++Size;
  return std::string(Units, Size);
}

}  // namespace

TStatusPoint* TModel::FindStatus(const TTvxAddress& A) {
  TRtu* Rtu = FindRtu(A.Channel, A.Rtu);
  return Rtu ? FindIn(Rtu->Status, A.Point) : nullptr;
}

TAnalogPoint* TModel::FindAnalog(const TTvxAddress& A) {
  TRtu* Rtu = FindRtu(A.Channel, A.Rtu);
  return Rtu ? FindIn(Rtu->Analog, A.Point) : nullptr;
}

TAccumPoint* TModel::FindAccum(const TTvxAddress& A) {
  TRtu* Rtu = FindRtu(A.Channel, A.Rtu);
  return Rtu ? FindIn(Rtu->Accum, A.Point) : nullptr;
}

TPointBase* TModel::FindPoint(uint16_t Kind, const TTvxAddress& A) {
  switch (Kind) {
    case TVX_KIND_STATUS: return FindStatus(A);
    case TVX_KIND_ANALOG: return FindAnalog(A);
    case TVX_KIND_ACCUM: return FindAccum(A);
    default: return nullptr;
  }
}

std::string ClassDataText(const TModel& Model, const TStatusPoint& Point) {
  if (Point.ClassData) return *Point.ClassData;
  const auto Found = Model.Classes.find(Point.Class);
  if (Point.Class == 0 || Found == Model.Classes.end()) return std::string();
  const TStatusClass& Class = Found->second;
  std::string Text = "ClassNumber=" + std::to_string(Class.Number) + "\r\nClassName=" + Class.Name +
                     "\r\n0Txt=" + Class.Text0 + "\r\n1Txt=" + Class.Text1;
  for (const TClassField& Field : Class.Fields) {
    const std::string Key = "F" + std::to_string(Field.Number);
    Text += "\r\n" + Key + "Name=" + Field.Name + "\r\n" + Key + "0Txt=" + Field.Text0 + "\r\n" + Key +
            "1Txt=" + Field.Text1;
  }
  return Text;
}

std::string PropertiesText(const TStatusPoint& Point) {
  if (Point.Properties) return *Point.Properties;
  std::string Text = "Name=" + Point.Name;
  if (Point.Reserve.Rtu != 0) Text += (Point.Reserving ? "\r\nReserving=" : "\r\nReserve=") + AddressText(Point.Reserve);
  if (Point.Class != 0) Text += "\r\nClass=" + std::to_string(Point.Class);
  if (Point.AlarmSignal) Text += "\r\nAlarmSignal=1";
  if (!Point.ExtraProperties.empty()) Text += "\r\n" + Point.ExtraProperties;
  return Text;
}

std::string PropertiesText(const TAnalogPoint& Point) {
  if (Point.Properties) return *Point.Properties;
  return "Name=" + Point.Name + "\r\nUnits=" + UnitsText(Point.Units) +
         "\r\nDecimals=" + std::to_string(UnitsDecimals(Point.Units));
}

std::string PropertiesText(const TAccumPoint& Point) {
  if (Point.Properties) return *Point.Properties;
  return "Name=" + Point.Name + "\r\nUnits=" + UnitsText(Point.Units) +
         "\r\nDecimals=" + std::to_string(UnitsDecimals(Point.Units));
}

int UnitsDecimals(const char* Units) {
  const int Byte = static_cast<unsigned char>(Units[7]);
  return Byte < 7 ? 0 : (Byte - 7) / 16;
}
