// TelemetryDynam: descriptions of telemetry points beyond their values (the
// name, the reserve reference and, for status points, the texts of their
// states), loaded from the server for one event at a time.
//
// A description belongs to the one thread that made it. Each library call
// of Load and GetAlarmName is made holding ServerLock, one call at a time;
// the lock is not held between calls. Nothing is cached: each description
// asks the server again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Class data or properties: lines of the form key=value.
using TClassData = std::vector<std::string>;

// The lines of Text, split at CR, LF or CR LF; empty lines left out.
TClassData SplitClassData(std::string_view Text);

// The text after the first "=" of the first line whose key equals Key,
// letters A to Z compared without regard to case; "" when no line has it.
std::string ClassDataValue(const TClassData& Lines, std::string_view Key);

// The text of a NUL-padded area of Size bytes: up to its first NUL, or the
// whole area when it has none; nothing beyond it is read.
std::string AreaText(const char* Area, size_t Size);

// Text without trailing blanks and control characters (bytes up to 0x20).
std::string TrimRightText(std::string_view Text);

class TDynam {
 public:
  virtual ~TDynam() = default;

  // Fetches the description from the server. REQUIRES: Channel, Rtu and
  // Point set; IsServerConnected() returned true for this query.
  virtual void Load() = 0;
  // The address tag, "#TT" or "#TC" and channel:RTU:point.
  virtual std::string AddressTag() const = 0;

  char ObjectName[129] = {};  // NUL-terminated, at most 128 characters
  int32_t Channel = 0, Rtu = 0, Point = 0;
  int32_t ResChannel = 0, ResRtu = 0, ResPoint = 0;  // 0: no reserve

 protected:
  std::string TagOf(std::string_view Prefix) const;
};

class TAnalogDynam : public TDynam {
 public:
  void Load() override;
  std::string AddressTag() const override { return TagOf("#TT"); }
};

class TStatusDynam : public TDynam {
 public:
  // Takes the name and the reserve reference from the point's properties
  // (a reserve reference set before stays unless they carry one), else the
  // plain object name.
  void Load() override;
  std::string AddressTag() const override { return TagOf("#TC"); }
  // The text of PointState: the class text "1Txt" or "0Txt" when not
  // empty, else the fixed text for alarm signals or other points; "" for
  // any other state.
  std::string GetStateText() const;

  int16_t PointState = 0;
  uint16_t AlarmFlag = 0;  // 0x0800 for an alarm signal
  TClassData ClassData;
};

// The name of alarm Number of an analog point into Buffer, NUL-terminated
// (empty when the library writes none). Takes ServerLock for the call.
void GetAlarmName(uint16_t Channel, uint16_t Rtu, uint16_t Point, uint16_t Number, char (&Buffer)[33]);
