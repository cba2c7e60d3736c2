// TelemetryDynam: point descriptions loaded from the server.
#include "telemetry/TelemetryDynam.h"

#include <algorithm>
#include <cstring>

#include "common/UScan.h"
#include "telemetry/UAreaText.h"
#include "telemetry/UServer.h"
#include "telvex.h"

namespace {

void LoadObjectName(uint16_t Kind, TDynam& Dynam) {
  TMutexLock Guard(ServerLock);
  tvxGetObjectName(ServerHandle, Kind, static_cast<uint16_t>(Dynam.Channel), static_cast<uint16_t>(Dynam.Rtu),
                   static_cast<uint16_t>(Dynam.Point), Dynam.ObjectName,
                   static_cast<int32_t>(sizeof Dynam.ObjectName));
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

void TAnalogDynam::Load() {
  LoadObjectName(TVX_KIND_ANALOG, *this);
  KeepTrimmedName(*this);
}

void TStatusDynam::Load() {
  char Area[1025] = {};
  std::memset(ObjectName, 0, sizeof ObjectName);
  int32_t Result = 0;
  {
    TMutexLock Guard(ServerLock);
    Result = tvxGetObjectProperties(ServerHandle, TVX_KIND_STATUS, static_cast<uint16_t>(Channel),
                                    static_cast<uint16_t>(Rtu), static_cast<uint16_t>(Point), Area,
                                    static_cast<int32_t>(sizeof Area));
  }
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

void GetAlarmName(uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Number, char (&Buffer)[33]) {
  TMutexLock Guard(ServerLock);
  tvxGetObjectNameEx(ServerHandle, TVX_KIND_ANALOG_ALARM, Channel, Rtu, Point, Number, Buffer,
                     static_cast<int32_t>(sizeof Buffer));
  Buffer[sizeof Buffer - 1] = 0;
}
