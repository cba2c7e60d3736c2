// UStatusEvents: texts of the events about a status point.
#include "events/UStatusEvents.h"

#include "telemetry/Telemetry.h"
#include "telemetry/TelemetryTexts.h"
#include "telemetry/UClassData.h"

namespace {

constexpr uint16_t AckAllStatus = 0x8000;
constexpr uint16_t AckAllAnalog = 0x8001;

// The address and name of the point; its class data for the texts.
TClassData DescribeStatusPoint(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  Record.AddrText = "#TC" + BaseAddress(Event);
  Record.Name = Lookup.StatusName(PointOf(Event));
  return Lookup.StatusClassData(PointOf(Event));
}

// The class number, 0 when the class data gives none.
int32_t ClassNumberOf(const TClassData& ClassData) {
  int32_t Number = 0;
  return IntTextValue(ClassDataValue(ClassData, "ClassNumber"), Number) ? Number : 0;
}

// The state text, replaced or extended by the line fault and flag words
// when the signature carries them.
std::string ChangeStateText(const TStatusChangeData& Change, const TClassData& ClassData) {
  std::string Text = GetStateText(ClassData, Change.NewState, Change.AlarmMark != 0 ? TVX_FLAG_ALARM_SIGNAL : 0);
  if ((Change.Signature & TVX_SIGNATURE_EXTENDED) != TVX_SIGNATURE_EXTENDED) return Text;
  if (Change.Signature & 0x04) {
    if (Change.FaultBits & 1) Text = TextLineBreak;
    else if (Change.FaultBits & 2) Text = TextLineFault;
  }
  if (Change.Signature & 0x10) {
    if (Change.FlagBits & TVX_FLAG_INVALID) Text += TextFlagInvalid;
    if (Change.FlagBits & TVX_FLAG_BLOCKED) Text += TextFlagBlocked;
    if (Change.FlagBits & TVX_FLAG_MANUAL) Text += TextFlagManual;
  }
  return Text;
}

}  // namespace

bool DecodeStatusChange(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  const TClassData ClassData = DescribeStatusPoint(Event, Lookup, Record);
  const TStatusChangeData& Change = Event.Data.StatusChange;
  Record.StateText = ChangeStateText(Change, ClassData);
  Record.TypeText = Change.AlarmMark == 0 ? TextTs : TextAps;
  if (ClassNumberOf(ClassData) > 0) Record.TypeText = ClassDataValue(ClassData, "ClassName");
  // Times with a source time show milliseconds even when the server's own
  // text stops at the second.
  if (Change.SourceTime != 0 && Record.DateText.size() == 19) Record.DateText += ".000";
  return true;
}

// A class field's name and state texts, else the point's text of the state
// given.
bool DecodeStatusCommand(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  const TClassData ClassData = DescribeStatusPoint(Event, Lookup, Record);
  const TStatusSetData& Set = Event.Data.StatusSet;
  if (Event.Type == TVX_EVENT_STATUS_SET && Set.ClassMark == 0xFF) {
    const std::string Key = "F" + std::to_string(Set.FieldNumber);
    Record.TypeText = ClassDataValue(ClassData, Key + "Name");
    if (Record.TypeText.empty()) Record.TypeText = Key;
    Record.StateText = ClassDataValue(ClassData, Key + (Set.State != 0 ? "1Txt" : "0Txt"));
    if (Record.StateText.empty()) Record.StateText = std::to_string(Set.State);
    return true;
  }
  Record.TypeText = Event.Type == TVX_EVENT_CONTROL ? TextTu : TextByHand;
  Record.StateText = GetStateText(ClassData, Set.State, 0);
  return true;
}

// The class data is asked for as for every status kind, though no text of
// an acknowledgement uses it.
bool DecodeAcknowledge(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  DescribeStatusPoint(Event, Lookup, Record);
  const uint16_t Code = Event.Data.Acknowledge.GeneralCode;
  if (Event.Channel == 0 && Event.Rtu == 0 && Event.Point == 0) {
    if (Code == AckAllStatus) Record.Name = TextAckAllStatus;
    else if (Code == AckAllAnalog) Record.Name = TextAckAllAnalog;
  }
  Record.TypeText = TextAcknowledge;
  return true;
}
