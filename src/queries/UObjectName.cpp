#include "queries/UObjectName.h"

#include "telemetry/Telemetry.h"
#include "telemetry/UServer.h"

int16_t ReadObjectName(uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point, std::string& Name) {
  // One byte beyond what the library is told, so the text always ends.
  char Area[81] = {};
  const auto Result = static_cast<int16_t>(
      tvxGetObjectName(ServerHandle.load(), Kind, Channel, Rtu, Point, Area, static_cast<int32_t>(sizeof Area - 1)));
  Name = Result > 0 ? std::string(Area) : std::string();
  return Result;
}
