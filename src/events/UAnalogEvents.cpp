// UAnalogEvents: texts of the events about an analog point.
#include "events/UAnalogEvents.h"

#include "common/UNumberText.h"
#include "telemetry/TelemetryTexts.h"
#include "telemetry/UAreaText.h"

namespace {

void DescribeAnalogPoint(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  Record.AddrText = "#TT" + BaseAddress(Event);
  Record.Name = Lookup.AnalogName(PointOf(Event));
}

// Leading and trailing blanks and control characters removed.
std::string TrimText(const std::string& Text) {
  std::string Right = TrimRightText(Text);
  size_t Start = 0;
  while (Start < Right.size() && static_cast<unsigned char>(Right[Start]) <= ' ') ++Start;
  return Right.substr(Start);
}

}  // namespace

// An active alarm keeps the record's importance, which frames its value.
bool DecodeAnalogAlarm(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  DescribeAnalogPoint(Event, Lookup, Record);
  const TAnalogAlarmData& Alarm = Event.Data.AnalogAlarm;
  Record.TypeText = TrimText(Lookup.AlarmName(PointOf(Event), Alarm.AlarmNumber));
  if (Alarm.Active != 1) {
    Record.StateText = TextNormal;
    return true;
  }
  Record.StateText = FixedText(Alarm.Value, 3);
  if (Event.Importance == 3) Record.StateText = std::string(TextAlarmOpen) + Record.StateText + ")";
  else if (Event.Importance == 2) Record.StateText = std::string(TextWarningOpen) + Record.StateText + ")";
  return true;
}

bool DecodeAnalogSet(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  DescribeAnalogPoint(Event, Lookup, Record);
  const TAnalogSetData& Set = Event.Data.AnalogSet;
  if (Set.ByHand == 1) {
    Record.TypeText = TextManual;
    Record.StateText = FixedText(Set.Value, 3);
  } else {
    Record.TypeText = TextFromTm;
  }
  return true;
}
