// UModel: what telvexd serves: channels, RTUs and their status, analog and
// accumulator points, status classes, and the changes made to points since
// start (values and flags set by hand or by the admin interface).
//
// Texts are held in the server's ANSI code page. The model is one value
// owned by TSimulator and used only under its lock.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "telvex.h"

// A change of a point from a moment on: a value that replaces the point's
// own dynamics, and flags set and cleared.
struct TOverride {
  int64_t TimeMs = 0;
  bool HasValue = false;
  double Value = 0;
  uint16_t SetFlags = 0;
  uint16_t ClearFlags = 0;
};

// What every point has.
struct TPointBase {
  uint16_t Number = 0;
  std::string Name;
  uint16_t Flags = 0;                 // flags of the dataset
  uint32_t Seed = 0;                  // drives the point's dynamics
  std::optional<std::string> Properties;  // replaces the generated properties text
  std::vector<TOverride> Overrides;   // in time order
};

enum class TSignature { None, Reserve, Extended };

struct TStatusPoint : TPointBase {
  int Class = 0;             // 0: no class
  bool AlarmSignal = false;  // alarm or warning signal
  uint16_t Importance = 1;   // importance of its status change events
  uint8_t State = 0;         // state at the start of each cycle of its dynamics
  uint32_t Period = 0;       // seconds per slot of its dynamics; 0: never changes
  TSignature Signature = TSignature::None;
  bool Faults = false;  // status changes may carry line fault bits
  TTvxAddress Reserve{};     // reserve reference; RTU 0: none
  bool Reserving = false;    // the reference is written Reserving= (it backs up that point)
  std::string ExtraProperties;  // further key=value lines
  std::optional<std::string> ClassData;  // replaces the class's data
};

struct TAnalogAlarm {
  uint16_t Number = 0;
  std::string Name;
  double Limit = 0;
  bool Above = true;  // active while the value is above the limit (else below)
  uint16_t Importance = 3;
};

struct TAnalogPoint : TPointBase {
  char Units[8] = {};
  double Base = 0, Amplitude = 0, Period = 3600, Noise = 0;
  float MinValue = 0, MaxValue = 0;
  std::vector<TAnalogAlarm> Alarms;
};

struct TAccumPoint : TPointBase {
  char Units[8] = {};
  double Start = 0;  // value at local midnight
  double Rate = 0;   // growth per hour
};

struct TRtu {
  uint16_t Number = 0;
  std::string Name;
  enum class TTimeForm { Seconds, Hundredths, Milliseconds } TimeForm = TTimeForm::Milliseconds;
  bool SourceTimes = false;  // status changes carry the RTU's own time stamp
  std::map<uint16_t, TStatusPoint> Status;
  std::map<uint16_t, TAnalogPoint> Analog;
  std::map<uint16_t, TAccumPoint> Accum;
};

struct TChannel {
  uint16_t Number = 0;
  std::string Name;
  std::map<uint16_t, TRtu> Rtus;
};

struct TClassField {
  int Number = 0;
  std::string Name, Text0, Text1;
};

struct TStatusClass {
  int Number = 0;
  std::string Name, Text0, Text1;
  std::vector<TClassField> Fields;
};

struct TModel {
  uint32_t Seed = 1;
  int HistoryHours = 72;
  int64_t FirstEventNumber = 1;
  std::map<uint16_t, TChannel> Channels;
  std::map<int, TStatusClass> Classes;

  TRtu* FindRtu(uint16_t Channel, uint16_t Rtu);
  TStatusPoint* FindStatus(const TTvxAddress& Address);
  TAnalogPoint* FindAnalog(const TTvxAddress& Address);
  TAccumPoint* FindAccum(const TTvxAddress& Address);
  // The point of Kind (TVX_KIND_STATUS, _ANALOG, _ACCUM) or null.
  TPointBase* FindPoint(uint16_t Kind, const TTvxAddress& Address);
};

// The class data lines of a status point (CR LF separated), empty when it
// has none.
std::string ClassDataText(const TModel& Model, const TStatusPoint& Point);
// The properties text of an object: Name= and the kind's own lines.
std::string PropertiesText(const TStatusPoint& Point);
std::string PropertiesText(const TAnalogPoint& Point);
std::string PropertiesText(const TAccumPoint& Point);
// The decimals of a units field (byte 7).
int UnitsDecimals(const char* Units);
