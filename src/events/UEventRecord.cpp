// UEventRecord: the common part of decoding an event (time, address, point
// description or message) before the texts of each type are added.
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>

#include "common/UScan.h"
#include "events/UEventTexts.h"
#include "events/UEvents.h"
#include "telemetry/Telemetry.h"
#include "telemetry/TelemetryDynam.h"
#include "telemetry/TelemetryTexts.h"
#include "telemetry/UServer.h"

namespace {

// Releases a block handed out by the library.
struct TLibraryBlockFree {
  void operator()(void* Block) const { tvxFreeMemory(Block); }
};
template <class T>
using TLibraryBlock = std::unique_ptr<T, TLibraryBlockFree>;

// The calendar fields of the time text; an invalid date and time fails the
// query, naming the text so that an operator can find the record.
TDateTime DecodeEventTime(const std::string& Text) {
  int32_t Day = 0, Month = 0, Year = 0, Hour = 0, Minute = 0, Second = 0, Fraction = 0;
  ScanText(Text, "%d.%d.%d %d:%d:%d.%d", {&Day, &Month, &Year, &Hour, &Minute, &Second, &Fraction});
  // A two-digit fraction counts hundredths. Scaled in 64 bits, as the
  // scanner may hand over any 32-bit number.
  const int64_t Milliseconds = Text.size() < 23 ? int64_t{Fraction} * 10 : Fraction;
  const int64_t Fields[] = {Year, Month, Day, Hour, Minute, Second, Milliseconds};
  TDateTime Value = 0;
  bool Valid = true;
  for (int64_t Field : Fields) Valid = Valid && Field >= 0 && Field <= 9999;
  TCalendarTime Time{};
  if (Valid) {
    Time = {static_cast<uint16_t>(Year),   static_cast<uint16_t>(Month),  static_cast<uint16_t>(Day),
            static_cast<uint16_t>(Hour),   static_cast<uint16_t>(Minute), static_cast<uint16_t>(Second),
            static_cast<uint16_t>(Milliseconds)};
  }
  if (!Valid || !EncodeDateTime(Time, Value)) throw EEventError("ERROR: invalid event time " + Text);
  return Value;
}

std::string BaseAddress(const TServerEvent& Event) {
  return std::to_string(Event.Channel) + ":" + std::to_string(Event.Rtu) + ":" + std::to_string(Event.Point);
}

bool HasReserveSignature(uint32_t Signature) {
  return Signature == TVX_SIGNATURE_RESERVE || (Signature >> 8) == (TVX_SIGNATURE_EXTENDED >> 8);
}

// The point's class data lines, fetched and released here.
TClassData LoadClassData(const TServerEvent& Event) {
  TLibraryBlock<TStatusClassData> Block;
  {
    std::lock_guard<std::mutex> Guard(ServerLock);
    Block.reset(tvxGetStatusClassData(ServerHandle, 1, Event.Channel, Event.Rtu, Event.Point));
  }
  if (!Block || !Block->Text) return {};
  return SplitClassData(AreaText(Block->Text, Block->Length));
}

// "{c:r:p}" of a reserve reference, then " (source time.mmm)" of a status
// change that carries one.
std::string MakeRefText(const TStatusDynam& Dynam, const TServerEvent& Event) {
  std::string Text;
  if (Dynam.ResRtu != 0) {
    Text = "{" + std::to_string(Dynam.ResChannel) + ":" + std::to_string(Dynam.ResRtu) + ":" +
           std::to_string(Dynam.ResPoint) + "}";
  }
  const TStatusChangeData& Change = Event.Data.StatusChange;
  if (Event.Type == TVX_EVENT_STATUS_CHANGE && Change.SourceTime != 0) {
    Text += " (" + ServerTimeToText(Change.SourceTime);
    if (Change.SourceMs != 0) Text += "." + ZeroPadded(Change.SourceMs, 3);
    Text += ")";
  }
  return Text;
}

void DescribeStatusPoint(const TServerEvent& Event, TEventLogRecord& Record, TStatusDynam& Dynam) {
  Dynam.Channel = Event.Channel;
  Dynam.Rtu = Event.Rtu;
  Dynam.Point = Event.Point;
  // The signature is tested for every status kind, as the server may reuse
  // the layout of a status change.
  const TStatusChangeData& Change = Event.Data.StatusChange;
  if (HasReserveSignature(Change.Signature)) {
    Dynam.ResChannel = Change.ResChannel;
    Dynam.ResRtu = Change.ResRtu;
    Dynam.ResPoint = Change.ResPoint;
  }
  Dynam.Load();
  Dynam.ClassData = LoadClassData(Event);
  int32_t ClassNumber = 0;
  Record.ClassNumber = IntTextValue(ClassDataValue(Dynam.ClassData, "ClassNumber"), ClassNumber) ? ClassNumber : 0;
  Record.AddrText = "#TC" + BaseAddress(Event);
  Record.RefText = MakeRefText(Dynam, Event);
  Record.Name = Dynam.ObjectName;
}

void DescribeAnalogPoint(const TServerEvent& Event, TEventLogRecord& Record) {
  TAnalogDynam Dynam;
  Dynam.Channel = Event.Channel;
  Dynam.Rtu = Event.Rtu;
  Dynam.Point = Event.Point;
  Dynam.Load();
  Record.AddrText = "#TT" + BaseAddress(Event);
  Record.Name = Dynam.ObjectName;
}

// The message of the record, or the one kept by the server under its
// index; the block is released on every path.
void DescribeMessage(const TServerEvent& Event, TEventLogRecord& Record) {
  if (Event.Type == TVX_EVENT_MESSAGE) {
    const uint16_t Layout = static_cast<uint16_t>(Event.Channel | (Event.Rtu << 8));
    ApplyMessage(Layout, Event.Data.Raw, sizeof Event.Data.Raw, Record);
    return;
  }
  int32_t Size = 0;
  TLibraryBlock<TMessageBlock> Block;
  {
    std::lock_guard<std::mutex> Guard(ServerLock);
    Block.reset(tvxEventLogByIndex(ServerHandle, Event.Data.MessageRef.Index, static_cast<int32_t>(Record.UTime),
                                   &Size));
  }
  constexpr size_t MessageAt = offsetof(TMessageBlock, Message);
  if (!Block || Size < 0 || static_cast<size_t>(Size) <= MessageAt) return;
  const uint8_t* Bytes = reinterpret_cast<const uint8_t*>(Block.get());
  ApplyMessage(static_cast<uint16_t>(Bytes[8] | (Bytes[9] << 8)), Bytes + MessageAt,
               static_cast<size_t>(Size) - MessageAt, Record);
}

bool IsStatusKind(uint16_t Type) {
  return Type == TVX_EVENT_STATUS_CHANGE || Type == TVX_EVENT_CONTROL || Type == TVX_EVENT_ACKNOWLEDGE ||
         Type == TVX_EVENT_STATUS_SET;
}

}  // namespace

std::optional<TEventLogRecord> MakeEventLogRecord(const TServerEvent& Event) {
  TEventLogRecord Record;
  Record.Importance = Event.Importance;
  Record.EventType = Event.Type;
  Record.DateText = AreaText(Event.TimeText, sizeof Event.TimeText);
  Record.DateTime = DecodeEventTime(Record.DateText);
  Record.UTime = static_cast<uint32_t>(String2Utime(&Event));

  TStatusDynam Status;
  if (IsStatusKind(Event.Type)) {
    DescribeStatusPoint(Event, Record, Status);
  } else if (Event.Type == TVX_EVENT_ANALOG_ALARM || Event.Type == TVX_EVENT_ANALOG_SET) {
    DescribeAnalogPoint(Event, Record);
  } else if (Event.Type == TVX_EVENT_MESSAGE || Event.Type == TVX_EVENT_MESSAGE_REF) {
    DescribeMessage(Event, Record);
    if (Record.AddrText.empty()) return std::nullopt;
  } else {
    Record.Name = std::string(TextUnknownEvent);
    Record.AddrText = BaseAddress(Event);
  }
  Record.Name = TrimRightText(Record.Name);
  AddEventTexts(Event, Status, Record);
  return Record;
}
