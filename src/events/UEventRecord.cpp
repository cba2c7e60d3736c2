// UEventRecord: one pass over an event record: its time, its importance,
// then the decoder of its kind, chosen once by the type field.
#include "events/UEventRecord.h"

#include "common/UMessages.h"
#include "common/UScan.h"
#include "events/UAnalogEvents.h"
#include "events/UMessageEvents.h"
#include "events/UStatusEvents.h"
#include "telemetry/TelemetryTexts.h"
#include "telemetry/UAreaText.h"
#include "telemetry/UTimeText.h"

namespace {

// The calendar fields of the time text must give a valid date and time;
// otherwise the query fails, naming the text so that an operator can find
// the record.
void CheckEventTime(const std::string& Text) {
  int32_t Day = 0, Month = 0, Year = 0, Hour = 0, Minute = 0, Second = 0, Fraction = 0;
  ScanText(Text, "%d.%d.%d %d:%d:%d.%d", {&Day, &Month, &Year, &Hour, &Minute, &Second, &Fraction});
  // A two-digit fraction counts hundredths. Scaled in 64 bits, as the
  // scanner may hand over any 32-bit number.
  const int64_t Milliseconds = Text.size() < 23 ? int64_t{Fraction} * 10 : Fraction;
  const int64_t Fields[] = {Year, Month, Day, Hour, Minute, Second, Milliseconds};
  bool Valid = true;
  for (int64_t Field : Fields) Valid = Valid && Field >= 0 && Field <= 9999;
  TDateTime Value = 0;
  if (Valid) {
    const TCalendarTime Time{static_cast<uint16_t>(Year),   static_cast<uint16_t>(Month),
                             static_cast<uint16_t>(Day),    static_cast<uint16_t>(Hour),
                             static_cast<uint16_t>(Minute), static_cast<uint16_t>(Second),
                             static_cast<uint16_t>(Milliseconds)};
    Valid = EncodeDateTime(Time, Value);
  }
  if (!Valid) throw EEventError(MessageText(TMessage::EventTimeInvalid) + Text);
}

// An alarm signal going to 0 and an analog alarm back to normal are lifted
// to level 2; every other event keeps the server's level.
int32_t DecodedImportance(const TServerEvent& Event) {
  const bool SignalCleared = Event.Type == TVX_EVENT_STATUS_CHANGE && Event.Data.StatusChange.AlarmMark != 0 &&
                             Event.Data.StatusChange.NewState == 0;
  const bool AlarmEnded = Event.Type == TVX_EVENT_ANALOG_ALARM && Event.Data.AnalogAlarm.Active != 1;
  return SignalCleared || AlarmEnded ? 2 : Event.Importance;
}

bool DecodeUnknown(const TServerEvent& Event, IEventLookup&, TEventLogRecord& Record) {
  Record.Name = std::string(TextUnknownEvent);
  Record.AddrText = BaseAddress(Event);
  return true;
}

TKindDecoder DecoderOf(uint16_t Type) {
  switch (Type) {
    case TVX_EVENT_STATUS_CHANGE: return DecodeStatusChange;
    case TVX_EVENT_CONTROL:
    case TVX_EVENT_STATUS_SET: return DecodeStatusCommand;
    case TVX_EVENT_ACKNOWLEDGE: return DecodeAcknowledge;
    case TVX_EVENT_ANALOG_ALARM: return DecodeAnalogAlarm;
    case TVX_EVENT_ANALOG_SET: return DecodeAnalogSet;
    case TVX_EVENT_MESSAGE: return DecodeMessage;
    case TVX_EVENT_MESSAGE_REF: return DecodeMessageRef;
    default: return DecodeUnknown;
  }
}

}  // namespace

std::optional<TEventLogRecord> MakeEventLogRecord(const TServerEvent& Event, IEventLookup& Lookup) {
  TEventLogRecord Record;
  Record.DateText = AreaText(Event.TimeText, sizeof Event.TimeText);
  CheckEventTime(Record.DateText);
  Record.Importance = DecodedImportance(Event);
  if (!DecoderOf(Event.Type)(Event, Lookup, Record)) return std::nullopt;
  Record.Name = TrimRightText(Record.Name);
  return Record;
}
