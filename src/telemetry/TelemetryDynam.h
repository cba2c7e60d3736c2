// TelemetryDynam: descriptions of telemetry points beyond their values (the
// name and the reserve reference), loaded from the server for one event at
// a time, and the names of analog alarms.
//
// A description belongs to the one thread that made it. Load and
// GetAlarmName take ServerLock for each library call they make, one call at
// a time, and do not hold it between calls; their caller must not hold it.
// Nothing is cached: each description asks the server again.
#pragma once

#include <cstdint>

#include "telemetry/UServer.h"

// The reserve reference is part of the system's defined description and is
// loaded with it; no answer carries it.
class TDynam {
 public:
  virtual ~TDynam() = default;

  // Fetches the description from the server. REQUIRES: Channel, Rtu and
  // Point set; IsServerConnected() returned true for this query.
  virtual void Load() EXCLUDES(ServerLock) = 0;

  char ObjectName[129] = {};  // NUL-terminated, at most 128 characters
  int32_t Channel = 0, Rtu = 0, Point = 0;
  int32_t ResChannel = 0, ResRtu = 0, ResPoint = 0;  // 0: no reserve
};

class TAnalogDynam : public TDynam {
 public:
  void Load() EXCLUDES(ServerLock) override;
};

class TStatusDynam : public TDynam {
 public:
  // Takes the name and the reserve reference from the point's properties
  // (a reserve reference set before stays unless they carry one), else the
  // plain object name.
  void Load() EXCLUDES(ServerLock) override;
};

// The name of alarm Number of an analog point into Buffer, NUL-terminated
// (empty when the library writes none). Takes ServerLock for the call.
void GetAlarmName(uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Number, char (&Buffer)[33])
    EXCLUDES(ServerLock);
