// TelemetryDynam: point descriptions loaded from the server.
#include "telemetry/TelemetryDynam.h"

#include <algorithm>
#include <cstring>

#include "common/UScan.h"
#include "telemetry/TelemetryTexts.h"
#include "telemetry/UServer.h"
#include "telvex.h"

namespace {

char LowerAscii(char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; }

bool SameKey(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (LowerAscii(A[I]) != LowerAscii(B[I])) return false;
  return true;
}

void LoadObjectName(uint16_t Kind, TDynam& Dynam) {
  LockedCall(tvxGetObjectName, Kind, static_cast<uint16_t>(Dynam.Channel), static_cast<uint16_t>(Dynam.Rtu),
             static_cast<uint16_t>(Dynam.Point), Dynam.ObjectName, static_cast<int32_t>(sizeof Dynam.ObjectName));
  Dynam.ObjectName[sizeof Dynam.ObjectName - 1] = 0;
}

void KeepTrimmedName(TDynam& Dynam) {
  const std::string Name = TrimRightText(AreaText(Dynam.ObjectName, sizeof Dynam.ObjectName));
  std::memset(Dynam.ObjectName, 0, sizeof Dynam.ObjectName);
  std::memcpy(Dynam.ObjectName, Name.data(), Name.size());
}

// Reads "c:r:p" after Key into the reserve reference; false when the
// properties have no such key.
bool ScanReserve(const std::string& Properties, std::string_view Key, TDynam& Dynam) {
  const size_t At = Properties.find(Key);
  if (At == std::string_view::npos) return false;
  ScanText(std::string_view(Properties).substr(At + Key.size()), "%d:%d:%d", {&Dynam.ResChannel, &Dynam.ResRtu, &Dynam.ResPoint});
  return true;
}

}  // namespace

std::string AreaText(const char* Area, size_t Size) { return std::string(Area, strnlen(Area, Size)); }

TClassData SplitClassData(std::string_view Text) {
  TClassData Lines;
  size_t Start = 0;
  while (Start < Text.size()) {
    size_t End = Text.find_first_of("\r\n", Start);
    if (End == std::string_view::npos) End = Text.size();
    if (End > Start) Lines.emplace_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  return Lines;
}

std::string ClassDataValue(const TClassData& Lines, std::string_view Key) {
  for (const std::string& Line : Lines) {
    const size_t Equals = Line.find('=');
    if (Equals != std::string::npos && SameKey(std::string_view(Line).substr(0, Equals), Key))
      return Line.substr(Equals + 1);
  }
  return {};
}

std::string TrimRightText(std::string_view Text) {
  size_t End = Text.size();
  while (End > 0 && static_cast<unsigned char>(Text[End - 1]) <= ' ') --End;
  return std::string(Text.substr(0, End));
}

std::string TDynam::TagOf(std::string_view Prefix) const {
  return std::string(Prefix) + std::to_string(Channel) + ":" + std::to_string(Rtu) + ":" + std::to_string(Point);
}

void TAnalogDynam::Load() {
  LoadObjectName(TVX_KIND_ANALOG, *this);
  KeepTrimmedName(*this);
}

void TStatusDynam::Load() {
  char Area[1025] = {};
  std::memset(ObjectName, 0, sizeof ObjectName);
  const int32_t Result =
      LockedCall(tvxGetObjectProperties, TVX_KIND_STATUS, static_cast<uint16_t>(Channel), static_cast<uint16_t>(Rtu),
                 static_cast<uint16_t>(Point), Area, static_cast<int32_t>(sizeof Area));
  const std::string Properties = AreaText(Area, sizeof Area);
  const size_t NameAt = Properties.find("Name=");
  if (Result == 1 && NameAt != std::string_view::npos) {
    std::string_view Name = std::string_view(Properties).substr(NameAt + 5);
    Name = Name.substr(0, std::min(Name.find("\r\n"), sizeof ObjectName - 1));
    std::memcpy(ObjectName, Name.data(), Name.size());
    if (!ScanReserve(Properties, "Reserve=", *this)) ScanReserve(Properties, "Reserving=", *this);
  } else {
    LoadObjectName(TVX_KIND_STATUS, *this);
  }
  KeepTrimmedName(*this);
}

std::string TStatusDynam::GetStateText() const {
  if (PointState != 0 && PointState != 1) return {};
  std::string Text = ClassDataValue(ClassData, PointState == 1 ? "1Txt" : "0Txt");
  if (!Text.empty()) return Text;
  const bool AlarmSignal = (AlarmFlag & TVX_FLAG_ALARM_SIGNAL) != 0;
  if (PointState == 1) return std::string(AlarmSignal ? TextAlarmSet : TextOn);
  return std::string(AlarmSignal ? TextAlarmCleared : TextOff);
}

void GetAlarmName(uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Number, char (&Buffer)[33]) {
  LockedCall(tvxGetObjectNameEx, TVX_KIND_ANALOG_ALARM, Channel, Rtu, Point, Number, Buffer,
             static_cast<int32_t>(sizeof Buffer));
  Buffer[sizeof Buffer - 1] = 0;
}
