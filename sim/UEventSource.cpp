#include "UEventSource.h"

#include <algorithm>
#include <cstring>

#include "UDynamics.h"
#include "UText.h"
#include "protocol/UTvxTime.h"

namespace {

constexpr int64_t AlarmGridMs = 10000;
constexpr int64_t ScriptPeriodMs = 300000;

int64_t FloorDiv(int64_t A, int64_t B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }

void AddStatusChanges(const TModel& Model, int64_t FromMs, int64_t ToMs, std::vector<TNewEvent>& Out) {
  for (const auto& [ChannelNumber, Channel] : Model.Channels)
    for (const auto& [RtuNumber, Rtu] : Channel.Rtus)
      for (const auto& [Number, Point] : Rtu.Status)
        for (const int64_t Ms : StatusChangesBetween(Point, FromMs, ToMs))
          Out.push_back({Ms, StatusChangeRecord(Rtu, {ChannelNumber, RtuNumber, Number}, Point, Ms), {}});
}

void AddAlarms(const TRtu& Rtu, const TTvxAddress& Address, const TAnalogPoint& Point, int64_t FromMs, int64_t ToMs,
               std::vector<TNewEvent>& Out) {
  for (int64_t Grid = (FloorDiv(FromMs, AlarmGridMs) + 1) * AlarmGridMs; Grid <= ToMs; Grid += AlarmGridMs) {
    const float Value = AnalogValueAt(Point, Grid);
    const float Before = AnalogValueAt(Point, Grid - AlarmGridMs);
    for (const TAnalogAlarm& Alarm : Point.Alarms) {
      const bool Active = AlarmActive(Alarm, Value);
      if (Active == AlarmActive(Alarm, Before)) continue;
      TServerEvent Record = NewRecord(Grid, Rtu.TimeForm, TVX_EVENT_ANALOG_ALARM, Alarm.Importance, Address);
      Record.Data.AnalogAlarm.Value = Value;
      Record.Data.AnalogAlarm.AlarmNumber = Alarm.Number;
      Record.Data.AnalogAlarm.Active = Active ? 1 : 0;
      Out.push_back({Grid, Record, {}});
    }
  }
}

void AddAnalogAlarms(const TModel& Model, int64_t FromMs, int64_t ToMs, std::vector<TNewEvent>& Out) {
  for (const auto& [ChannelNumber, Channel] : Model.Channels)
    for (const auto& [RtuNumber, Rtu] : Channel.Rtus)
      for (const auto& [Number, Point] : Rtu.Analog)
        if (!Point.Alarms.empty()) AddAlarms(Rtu, {ChannelNumber, RtuNumber, Number}, Point, FromMs, ToMs, Out);
}

// The points that the operators' events concern: the first status point
// with a class, the first status point, the first analog point.
struct TFeatured {
  TTvxAddress ClassPoint{}, StatusPoint{}, AnalogPoint{};
  const TStatusPoint* Class = nullptr;
  const TStatusPoint* Status = nullptr;
  const TAnalogPoint* Analog = nullptr;
  const TStatusClass* ClassOf = nullptr;
};

TFeatured FindFeatured(const TModel& Model) {
  TFeatured F;
  for (const auto& [C, Channel] : Model.Channels)
    for (const auto& [R, Rtu] : Channel.Rtus) {
      for (const auto& [N, Point] : Rtu.Status) {
        if (!F.Status) {
          F.Status = &Point;
          F.StatusPoint = {C, R, N};
        }
        const auto Class = Model.Classes.find(Point.Class);
        if (!F.Class && Class != Model.Classes.end()) {
          F.Class = &Point;
          F.ClassPoint = {C, R, N};
          F.ClassOf = &Class->second;
        }
      }
      if (!F.Analog && !Rtu.Analog.empty()) {
        F.Analog = &Rtu.Analog.begin()->second;
        F.AnalogPoint = {C, R, Rtu.Analog.begin()->first};
      }
    }
  return F;
}

void PutSource(char* Field, const char* Utf8) { PutField(Field, 16, Utf8ToOem(Utf8)); }

// A message inside the record: kind, then both texts in 18 bytes.
void PutMessage(TServerEvent& Record, uint32_t Kind, const char* Text1, const char* Text2) {
  Record.Data.Message.Kind = Kind;
  const std::string Texts = Utf8ToServer(Text1) + '\0' + Utf8ToServer(Text2);
  PutField(Record.Data.Message.Texts, sizeof Record.Data.Message.Texts, Texts);
}

enum TScript {
  sControl,
  sAcknowledge,
  sGeneralStatusAck,
  sGeneralAnalogAck,
  sStatusSet,
  sClassField,
  sAnalogByHand,
  sAnalogFromTm,
  sMessageTwoLines,
  sMessageWithSource,
  sMessageRefTwoLines,
  sMessageRefWithSource,
  sUnknownType,
  sMessageNotShown,
  sCount
};

constexpr TTvxAddress NoAddress{0, 0, 0};
constexpr TTvxAddress MessageAddress{0, 1, 0};

// The operators' events on status points; false when the model lacks
// the point an event needs.
bool StatusScript(const TFeatured& F, TScript Kind, int64_t Slot, int64_t Ms, TServerEvent& Record) {
  const auto Form = TRtu::TTimeForm::Milliseconds;
  switch (Kind) {
    case sControl:
      if (!F.Class) return false;
      Record = NewRecord(Ms, Form, TVX_EVENT_CONTROL, 1, F.ClassPoint);
      Record.Data.StatusSet.State = static_cast<uint8_t>(StatusStateAt(*F.Class, Ms));
      PutSource(Record.Data.StatusSet.Source, "Диспетчер");
      return true;
    case sAcknowledge:
      if (!F.Status) return false;
      Record = NewRecord(Ms, Form, TVX_EVENT_ACKNOWLEDGE, 0, F.StatusPoint);
      PutSource(Record.Data.Acknowledge.Source, "Диспетчер");
      return true;
    case sGeneralStatusAck:
    case sGeneralAnalogAck:
      Record = NewRecord(Ms, Form, TVX_EVENT_ACKNOWLEDGE, 0, NoAddress);
      Record.Data.Acknowledge.GeneralCode = Kind == sGeneralStatusAck ? 0x8000 : 0x8001;
      PutSource(Record.Data.Acknowledge.Source, "АРМ-1");
      return true;
    case sStatusSet:
      if (!F.Status) return false;
      Record = NewRecord(Ms, Form, TVX_EVENT_STATUS_SET, 1, F.StatusPoint);
      Record.Data.StatusSet.State = static_cast<uint8_t>(StatusStateAt(*F.Status, Ms));
      PutSource(Record.Data.StatusSet.Source, "Иванов");
      return true;
    case sClassField:
      if (!F.Class || F.ClassOf->Fields.empty()) return false;
      Record = NewRecord(Ms, Form, TVX_EVENT_STATUS_SET, 1, F.ClassPoint);
      Record.Data.StatusSet.ClassMark = 0xFF;
      Record.Data.StatusSet.FieldNumber = static_cast<uint8_t>(F.ClassOf->Fields.front().Number);
      Record.Data.StatusSet.State = static_cast<uint8_t>(Slot / sCount % 2);
      PutSource(Record.Data.StatusSet.Source, "Телемеханика");
      return true;
    case sUnknownType:
      if (!F.Status) return false;
      Record = NewRecord(Ms, Form, 64, 1, F.StatusPoint);
      return true;
    default:
      return false;
  }
}

// A message that the server keeps, for an event that refers to it.
TStoredMessage KeptMessage(bool TwoLines) {
  TStoredMessage Message;
  if (TwoLines) {
    Message.Kind = (3u << 24) | (1u << 16) | 0x66;
    Message.Text1 = Utf8ToServer("Плановый вывод в ремонт ВЛ 110 кВ Северная-1");
    Message.Text2 = Utf8ToServer("Заявка 17/26 согласована");
  } else {
    Message.Text1 = Utf8ToServer("Shift handover completed");
    Message.Text2 = Utf8ToServer("Сидоров");
  }
  return Message;
}

// Analog values set and the messages of the system.
bool OtherScript(const TFeatured& F, TScript Kind, int64_t Slot, int64_t Ms, TNewEvent& Out) {
  const auto Form = TRtu::TTimeForm::Milliseconds;
  switch (Kind) {
    case sAnalogByHand:
    case sAnalogFromTm:
      if (!F.Analog) return false;
      Out.Record = NewRecord(Ms, Form, TVX_EVENT_ANALOG_SET, 1, F.AnalogPoint);
      Out.Record.Data.AnalogSet.Value = AnalogValueAt(*F.Analog, Ms);
      Out.Record.Data.AnalogSet.ByHand = Kind == sAnalogByHand ? 1 : 0;
      PutSource(Out.Record.Data.AnalogSet.Source, Kind == sAnalogByHand ? "Петров" : "ТМ");
      return true;
    case sMessageTwoLines:
      Out.Record = NewRecord(Ms, Form, TVX_EVENT_MESSAGE, 1, MessageAddress);
      PutMessage(Out.Record, (1u << 24) | (2u << 16) | 0x66, "Связь вкл", "КП-3");
      return true;
    case sMessageWithSource:
      Out.Record = NewRecord(Ms, Form, TVX_EVENT_MESSAGE, 0, MessageAddress);
      PutMessage(Out.Record, 0, "Обход ПС", "Петров");
      return true;
    case sMessageRefTwoLines:
    case sMessageRefWithSource:
      Out.Record = NewRecord(Ms, Form, TVX_EVENT_MESSAGE_REF, 1, MessageAddress);
      Out.Record.Data.MessageRef.Index = static_cast<uint32_t>(Slot);
      Out.Message = KeptMessage(Kind == sMessageRefTwoLines);
      return true;
    case sMessageNotShown:
      Out.Record = NewRecord(Ms, Form, TVX_EVENT_MESSAGE, 1, {0, 2, 0});
      PutMessage(Out.Record, 0x66, "Тест", "канала");
      return true;
    default:
      return false;
  }
}

// The operators' and system's event of slot Slot, the kinds in turn.
bool ScriptedEvent(const TFeatured& F, int64_t Slot, int64_t Ms, TNewEvent& Out) {
  const auto Kind = static_cast<TScript>((Slot % sCount + sCount) % sCount);
  Out.TimeMs = Ms;
  return StatusScript(F, Kind, Slot, Ms, Out.Record) || OtherScript(F, Kind, Slot, Ms, Out);
}

void AddScripted(const TModel& Model, int64_t FromMs, int64_t ToMs, std::vector<TNewEvent>& Out) {
  const TFeatured Featured = FindFeatured(Model);
  for (int64_t Slot = FloorDiv(FromMs, ScriptPeriodMs); Slot <= FloorDiv(ToMs, ScriptPeriodMs); ++Slot) {
    const int64_t Ms = Slot * ScriptPeriodMs + static_cast<int64_t>(Mix(Model.Seed ^ static_cast<uint64_t>(Slot)) % 1000);
    TNewEvent Event{};
    if (Ms > FromMs && Ms <= ToMs && ScriptedEvent(Featured, Slot, Ms, Event)) Out.push_back(std::move(Event));
  }
}

}  // namespace

void PutField(char* Field, size_t Size, const std::string& Text) {
  std::memset(Field, 0, Size);
  std::memcpy(Field, Text.data(), std::min(Size, Text.size()));
}

TServerEvent NewRecord(int64_t TimeMs, TRtu::TTimeForm Form, uint16_t Type, uint16_t Importance,
                       const TTvxAddress& Address) {
  TServerEvent Record;
  std::memset(&Record, 0, sizeof Record);
  const std::string Text = Form == TRtu::TTimeForm::Seconds      ? TvxTimeText(FloorDiv(TimeMs, 1000))
                           : Form == TRtu::TTimeForm::Hundredths ? TvxTimeTextCs(TimeMs)
                                                                 : TvxTimeTextMs(TimeMs);
  PutField(Record.TimeText, sizeof Record.TimeText, Text);
  Record.Importance = Importance;
  Record.Type = Type;
  Record.Channel = Address.Channel;
  Record.Rtu = Address.Rtu;
  Record.Point = Address.Point;
  return Record;
}

TServerEvent StatusChangeRecord(const TRtu& Rtu, const TTvxAddress& Address, const TStatusPoint& Point,
                                int64_t TimeMs) {
  TServerEvent Record = NewRecord(TimeMs, Rtu.TimeForm, TVX_EVENT_STATUS_CHANGE, Point.Importance, Address);
  TStatusChangeData& Data = Record.Data.StatusChange;
  Data.NewState = static_cast<uint8_t>(StatusStateAt(Point, TimeMs));
  Data.AlarmMark = Point.AlarmSignal ? 1 : 0;
  if (Point.Signature != TSignature::None) {
    Data.Signature = Point.Signature == TSignature::Reserve ? TVX_SIGNATURE_RESERVE : TVX_SIGNATURE_EXTENDED | 0x04 | 0x10;
    Data.ResChannel = static_cast<uint8_t>(Point.Reserve.Channel);
    Data.ResRtu = static_cast<uint8_t>(Point.Reserve.Rtu);
    Data.ResPoint = Point.Reserve.Point;
  }
  if (Point.Signature == TSignature::Extended) {
    const uint64_t Draw = Mix(Point.Seed ^ static_cast<uint64_t>(TimeMs));
    Data.FaultBits = Point.Faults && Draw % 4 == 0 ? static_cast<uint16_t>(1 + Draw / 4 % 2) : 0;
    Data.FlagBits = StatusFlagsAt(Point, TimeMs) & (TVX_FLAG_INVALID | TVX_FLAG_BLOCKED | TVX_FLAG_MANUAL);
  }
  if (Rtu.SourceTimes) {
    Data.SourceTime = static_cast<int32_t>(FloorDiv(TimeMs, 1000));
    Data.SourceMs = static_cast<uint16_t>(TimeMs - FloorDiv(TimeMs, 1000) * 1000);
  }
  return Record;
}

std::vector<TNewEvent> EventsBetween(const TModel& Model, int64_t FromMs, int64_t ToMs) {
  std::vector<TNewEvent> Events;
  if (ToMs <= FromMs) return Events;
  AddStatusChanges(Model, FromMs, ToMs, Events);
  AddAnalogAlarms(Model, FromMs, ToMs, Events);
  AddScripted(Model, FromMs, ToMs, Events);
  std::stable_sort(Events.begin(), Events.end(),
                   [](const TNewEvent& A, const TNewEvent& B) { return A.TimeMs < B.TimeMs; });
  return Events;
}
