// UServerLookup: the look-ups of event decoding answered by the telemetry
// server, as the event queries use them.
//
// Each look-up is one or two library calls, each made holding ServerLock by
// itself; nothing is cached, so every event asks again. Blocks the library
// hands out are released before a look-up returns.
// REQUIRES: IsServerConnected() returned true for the query that uses it.
#pragma once

#include "events/UEventLookup.h"

class TServerLookup : public IEventLookup {
 public:
  // Properties first, else the plain object name (TStatusDynam).
  std::string StatusName(const TTvxAddress& Point) override;
  TClassData StatusClassData(const TTvxAddress& Point) override;
  std::string AnalogName(const TTvxAddress& Point) override;
  std::string AlarmName(const TTvxAddress& Point, uint16_t Number) override;
  // Asks under the record's time in the library's seconds.
  std::optional<TKeptMessage> KeptMessage(const TServerEvent& Event) override;
};
