// UEventTexts: type, state and source texts per event type.
#include "events/UEventTexts.h"

#include <cstring>

#include "common/UNumberText.h"
#include "platform/CodePage.h"
#include "telemetry/TelemetryTexts.h"

namespace {

constexpr uint16_t MessageLayoutShown = 0x100;
constexpr uint32_t MessageTwoLines = 0x66;
constexpr uint32_t MessageWithSource = 0;
constexpr uint16_t AckAllStatus = 0x8000;
constexpr uint16_t AckAllAnalog = 0x8001;

// The 16-byte source text, from the OEM code page.
std::string SourceOf(const char (&Source)[16]) { return OemToAnsi(AreaText(Source, sizeof Source)); }

// Leading and trailing blanks and control characters removed.
std::string TrimText(const std::string& Text) {
  std::string Right = TrimRightText(Text);
  size_t Start = 0;
  while (Start < Right.size() && static_cast<unsigned char>(Right[Start]) <= ' ') ++Start;
  return Right.substr(Start);
}

void AddStatusChange(const TServerEvent& Event, TStatusDynam& Status, TEventLogRecord& Record) {
  const TStatusChangeData& Change = Event.Data.StatusChange;
  Record.State = Change.NewState;
  Status.PointState = Change.NewState;
  Status.AlarmFlag = Change.AlarmMark != 0 ? TVX_FLAG_ALARM_SIGNAL : 0;
  Record.StateText = Status.GetStateText();
  if ((Change.Signature & TVX_SIGNATURE_EXTENDED) == TVX_SIGNATURE_EXTENDED) {
    if (Change.Signature & 0x04) {
      if (Change.FaultBits & 1) Record.StateText = TextLineBreak;
      else if (Change.FaultBits & 2) Record.StateText = TextLineFault;
    }
    if (Change.Signature & 0x10) {
      if (Change.FlagBits & TVX_FLAG_INVALID) Record.StateText += TextFlagInvalid;
      if (Change.FlagBits & TVX_FLAG_BLOCKED) Record.StateText += TextFlagBlocked;
      if (Change.FlagBits & TVX_FLAG_MANUAL) Record.StateText += TextFlagManual;
    }
  }
  if (Change.AlarmMark == 0) {
    Record.TypeText = TextTs;
  } else {
    Record.TypeText = TextAps;
    if (Change.NewState == 0) Record.Importance = 2;
  }
  if (Record.ClassNumber > 0) Record.TypeText = ClassDataValue(Status.ClassData, "ClassName");
  // Times with a source time show milliseconds even when the server's own
  // text stops at the second.
  if (Change.SourceTime != 0 && Record.DateText.size() == 19) Record.DateText += ".000";
}

void AddAnalogAlarm(const TServerEvent& Event, TEventLogRecord& Record) {
  const TAnalogAlarmData& Alarm = Event.Data.AnalogAlarm;
  char Name[33] = {};
  GetAlarmName(Event.Channel, Event.Rtu, Event.Point, Alarm.AlarmNumber, Name);
  Record.TypeText = TrimText(AreaText(Name, sizeof Name - 1));
  if (Alarm.Active != 1) {
    Record.StateText = TextNormal;
    Record.Importance = 2;
    return;
  }
  Record.StateText = FixedText(Alarm.Value, 3);
  if (Record.Importance == 3) Record.StateText = std::string(TextAlarmOpen) + Record.StateText + ")";
  else if (Record.Importance == 2) Record.StateText = std::string(TextWarningOpen) + Record.StateText + ")";
}

// A control or a status set by hand: the point's text of the state given.
void AddStatusCommand(const TServerEvent& Event, TStatusDynam& Status, TEventLogRecord& Record) {
  const TStatusSetData& Set = Event.Data.StatusSet;
  Record.SourceText = SourceOf(Set.Source);
  if (Event.Type == TVX_EVENT_STATUS_SET && Set.ClassMark == 0xFF) {
    const std::string Key = "F" + std::to_string(Set.FieldNumber);
    Record.TypeText = ClassDataValue(Status.ClassData, Key + "Name");
    if (Record.TypeText.empty()) Record.TypeText = Key;
    Record.StateText = ClassDataValue(Status.ClassData, Key + (Set.State != 0 ? "1Txt" : "0Txt"));
    if (Record.StateText.empty()) Record.StateText = std::to_string(Set.State);
    return;
  }
  Record.TypeText = Event.Type == TVX_EVENT_CONTROL ? TextTu : TextByHand;
  Status.PointState = Set.State;
  Status.AlarmFlag = 0;
  Record.StateText = Status.GetStateText();
}

void AddAcknowledge(const TServerEvent& Event, TEventLogRecord& Record) {
  const TAcknowledgeData& Ack = Event.Data.Acknowledge;
  if (Event.Channel == 0 && Event.Rtu == 0 && Event.Point == 0) {
    if (Ack.GeneralCode == AckAllStatus) Record.Name = TextAckAllStatus;
    else if (Ack.GeneralCode == AckAllAnalog) Record.Name = TextAckAllAnalog;
  }
  Record.TypeText = TextAcknowledge;
  Record.SourceText = SourceOf(Ack.Source);
}

void AddAnalogSet(const TServerEvent& Event, TEventLogRecord& Record) {
  const TAnalogSetData& Set = Event.Data.AnalogSet;
  if (Set.ByHand == 1) {
    Record.TypeText = TextManual;
    Record.StateText = FixedText(Set.Value, 3);
  } else {
    Record.TypeText = TextFromTm;
  }
  Record.SourceText = SourceOf(Set.Source);
}

}  // namespace

std::string ZeroPadded(uint32_t Value, int Digits) {
  std::string Text = std::to_string(Value);
  if (static_cast<int>(Text.size()) < Digits) Text.insert(0, static_cast<size_t>(Digits) - Text.size(), '0');
  return Text;
}

void ApplyMessage(uint16_t Layout, const uint8_t* Message, size_t Size, TEventLogRecord& Record) {
  uint32_t Kind = 0;
  if (Layout != MessageLayoutShown || Size < sizeof Kind) return;
  std::memcpy(&Kind, Message, sizeof Kind);
  const char* Texts = reinterpret_cast<const char*>(Message + sizeof Kind);
  const size_t TextsSize = Size - sizeof Kind;
  const std::string First = AreaText(Texts, TextsSize);
  const std::string Second =
      First.size() < TextsSize ? AreaText(Texts + First.size() + 1, TextsSize - First.size() - 1) : "";
  Record.Name = First;
  if ((Kind & 0xFFFF) == MessageTwoLines) Record.Name += "\r\n" + Second;
  else if ((Kind & 0xFFFF) == MessageWithSource) Record.SourceText = Second;
  Record.AddrText = "#MSG";
  if (Kind > 0xFFFF) Record.AddrText += std::to_string(Kind >> 24) + ":" + std::to_string((Kind >> 16) & 0xFF) + ":";
}

void AddEventTexts(const TServerEvent& Event, TStatusDynam& Status, TEventLogRecord& Record) {
  switch (Event.Type) {
    case TVX_EVENT_STATUS_CHANGE: AddStatusChange(Event, Status, Record); break;
    case TVX_EVENT_ANALOG_ALARM: AddAnalogAlarm(Event, Record); break;
    case TVX_EVENT_CONTROL:
    case TVX_EVENT_STATUS_SET: AddStatusCommand(Event, Status, Record); break;
    case TVX_EVENT_ACKNOWLEDGE: AddAcknowledge(Event, Record); break;
    case TVX_EVENT_ANALOG_SET: AddAnalogSet(Event, Record); break;
    case TVX_EVENT_MESSAGE:
    case TVX_EVENT_MESSAGE_REF: Record.TypeText = TextMessage; break;
    default: break;
  }
}
