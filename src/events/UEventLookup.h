// UEventLookup: what decoding an event needs to know beyond the record
// itself: the names and class data of points and the messages kept by the
// server. TServerLookup (UServerLookup.h) asks the server; a test hands in
// its own tables.
//
// An implementation is used by the one thread that decodes with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "telemetry/UClassData.h"
#include "telvex.h"

// A message kept by the server: its layout code and its bytes (kind, first
// text, second text).
struct TKeptMessage {
  uint16_t Layout = 0;
  std::vector<uint8_t> Bytes;
};

class IEventLookup {
 public:
  virtual ~IEventLookup() = default;

  // The name of a status point, trailing blanks removed; "" for a point the
  // server does not know.
  virtual std::string StatusName(const TTvxAddress& Point) = 0;
  // The class data of a status point; none when it has none.
  virtual TClassData StatusClassData(const TTvxAddress& Point) = 0;
  // The name of an analog point, trailing blanks removed.
  virtual std::string AnalogName(const TTvxAddress& Point) = 0;
  // The name of alarm Number of an analog point, at most 32 characters.
  virtual std::string AlarmName(const TTvxAddress& Point, uint16_t Number) = 0;
  // The message that Event, a message reference, refers to; nothing when
  // the server gives none.
  virtual std::optional<TKeptMessage> KeptMessage(const TServerEvent& Event) = 0;
};
