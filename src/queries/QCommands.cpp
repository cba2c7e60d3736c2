#include "queries/QCommands.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "crypto/UCommandMac.h"
#include "platform/CodePage.h"
#include "queries/UCommandAuth.h"
#include "queries/UQueryMembers.h"
#include "telemetry/Telemetry.h"
#include "telemetry/UServer.h"

namespace {

constexpr uint16_t FlagManual = TVX_FLAG_MANUAL;
constexpr uint16_t FlagUnacknowledged = TVX_FLAG_UNACKED;

static_assert(sizeof(TStatusValue) == 13, "TStatusValue is 13 bytes");
static_assert(sizeof(TServerEvent) == 56, "TServerEvent is 56 bytes");
static_assert(offsetof(TServerEvent, Data.StatusSet.State) == 38 &&
                  offsetof(TServerEvent, Data.StatusSet.Source) == 40 &&
                  offsetof(TServerEvent, Data.AnalogSet.ByHand) == 38 &&
                  offsetof(TServerEvent, Data.AnalogSet.Source) == 39 &&
                  offsetof(TServerEvent, Data.Acknowledge.Source) == 40,
              "command event fields where the event log reads them");

// Reads a point address member: present, a string, and a valid address.
TPointAddress RequirePoint(const TJsonPtr& Query, std::u16string_view Name, TMessage Refusal) {
  TPointAddress Address{};
  if (!PointField(Query, Name, Address)) throw EQueryError(Refusal);
  return Address;
}

// Refuses a member Name that is not a text, before any other check of it.
void RequireText(const TJsonPtr& Query, std::u16string_view Name, TMessage Refusal) {
  std::u16string Text;
  if (!TextField(Query, Name, Text)) throw EQueryError(Refusal);
}

// The event of a command at Address. The time text stays empty: the
// server stamps the event itself.
TServerEvent CommandEvent(uint16_t Importance, uint16_t Type, const TPointAddress& Address) {
  TServerEvent Event;
  std::memset(&Event, 0, sizeof Event);
  Event.Importance = Importance;
  Event.Type = Type;
  Event.Channel = Address.Channel;
  Event.Rtu = Address.Rtu;
  Event.Point = Address.Point;
  return Event;
}

// Names this program as the event's source, in the record's 16 bytes.
void PutSourceText(char (&Source)[16]) {
  // The record's source texts are read in the OEM code page.
  static const std::string Text = [] {
    std::string Ansi = OemToAnsi(std::string("Vorlane\0\0\0\0\0\0\0\0\0", 16));
    Ansi.resize(16);  // a conversion that failed must not shorten the copy
    return Ansi;
  }();
  std::memcpy(Source, Text.data(), sizeof Source);
}

void RegisterCommandEvent(const TServerEvent& Event) {
  int32_t Result = 0;
  {
    TMutexLock Guard(ServerLock);
    Result = tvxRegEvent(ServerHandle, &Event);
  }
  // The change stands: it has been made and cannot be taken back.
  if (Result != 1) throw EQueryError(TMessage::CommandEventNotAdded);
}

void RequireChanged(int32_t Result) {
  if (Result != 1) throw EQueryError(TMessage::CommandFailure);
}

// The state of the status point at Address as the library gives it.
int16_t PointState(const TPointAddress& Address) {
  TMutexLock Guard(ServerLock);
  return static_cast<int16_t>(tvxStatus(ServerHandle, Address.Channel, Address.Rtu, Address.Point));
}

// Clears the point's unacknowledged mark; the library's result.
int32_t Acknowledge(const TPointAddress& Address) {
  TMutexLock Guard(ServerLock);
  return tvxClrStatusFlags(ServerHandle, Address.Channel, Address.Rtu, Address.Point, FlagUnacknowledged);
}

// The command as the authorisation and its audit see it.
TCommandSubject Subject(std::string Type, const TPointAddress& Address, std::string Value = {}) {
  return {std::move(Type),
          std::to_string(Address.Channel) + "." + std::to_string(Address.Rtu) + "." + std::to_string(Address.Point),
          std::move(Value)};
}

// The state a status command sets: the whole value must be 0 or 1, so a
// large number whose low bits happen to be 0 or 1 is refused, not taken as
// a state.
uint8_t RequireState(int64_t Value) {
  if (Value != 0 && Value != 1) throw EQueryError(TMessage::ValueInvalid);
  return static_cast<uint8_t>(Value);
}

// set-ts and switch-ts once each has read its point and chosen the State:
// the proof for Type, then the change and its event.
void SetStatus(const TJsonPtr& Query, const TJsonPtr& Answer, const char* Type, const TPointAddress& Address,
               uint8_t State) {
  CheckCommandAuth(Query, Subject(Type, Address, std::to_string(State)));
  TStatusValue Record{Address.Channel, Address.Rtu, Address.Point, TVX_SET_STATUS_BY_HAND,
                      static_cast<uint8_t>(FlagManual & 0xFF), TVX_VALUE_INT32, State};
  int32_t Result;
  {
    TMutexLock Guard(ServerLock);
    Result = tvxSetValues(ServerHandle, 1, &Record);
    // The mark goes on whatever the set returned: the point was commanded
    // by hand either way, and the operator's displays show it so.
    tvxSetStatusFlags(ServerHandle, Address.Channel, Address.Rtu, Address.Point, FlagManual);
  }
  RequireChanged(Result);

  TServerEvent Event = CommandEvent(1, TVX_EVENT_STATUS_SET, Address);
  PutSourceText(Event.Data.StatusSet.Source);
  Event.Data.StatusSet.State = State;
  RegisterCommandEvent(Event);
  PutString(Answer, u"ok", u"1");
}

}  // namespace

void QuerySetTs(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireText(Query, u"ts", TMessage::TsInvalid);
  int64_t Value = 0;
  if (!IntegerField(Query, u"value", Value)) throw EQueryError(TMessage::ValueInvalid);
  const uint8_t State = RequireState(Value);
  SetStatus(Query, Answer, "set-ts", RequirePoint(Query, u"ts", TMessage::TsInvalid), State);
}

void QuerySwitchTs(const TJsonPtr& Query, const TJsonPtr& Answer) {
  TPointAddress Address = RequirePoint(Query, u"ts", TMessage::TsInvalid);
  const int16_t State = PointState(Address);
  // An unknown state (-1) turns into -2, which is refused as a value.
  SetStatus(Query, Answer, "switch-ts", Address, RequireState(static_cast<int16_t>(State ^ 1)));
}

void QueryAckTs(const TJsonPtr& Query, const TJsonPtr& Answer) {
  TPointAddress Address = RequirePoint(Query, u"ts", TMessage::TsInvalid);
  CheckCommandAuth(Query, Subject("ack-ts", Address));
  RequireChanged(Acknowledge(Address));
  TServerEvent Event = CommandEvent(0, TVX_EVENT_ACKNOWLEDGE, Address);
  PutSourceText(Event.Data.Acknowledge.Source);
  RegisterCommandEvent(Event);
  PutString(Answer, u"ok", u"1");
}

void QuerySetTi(const TJsonPtr& Query, const TJsonPtr& Answer) {
  RequireText(Query, u"ti", TMessage::TiInvalid);
  double Value = 0;
  std::string ValueText;
  if (!NumberField(Query, u"value", Value, ValueText)) throw EQueryError(TMessage::ValueInvalid);
  const float Number = static_cast<float>(Value);
  TPointAddress Address = RequirePoint(Query, u"ti", TMessage::TiInvalid);
  CheckCommandAuth(Query, Subject("set-ti", Address, FourDecimals(ValueText)));

  int32_t Result;
  {
    TMutexLock Guard(ServerLock);
    Result = tvxSetAnalog(ServerHandle, Address.Channel, Address.Rtu, Address.Point, Number, 0);
    tvxSetAnalogFlags(ServerHandle, Address.Channel, Address.Rtu, Address.Point, FlagManual);
  }
  RequireChanged(Result);

  TServerEvent Event = CommandEvent(1, TVX_EVENT_ANALOG_SET, Address);
  PutSourceText(Event.Data.AnalogSet.Source);
  Event.Data.AnalogSet.Value = Number;
  Event.Data.AnalogSet.ByHand = 1;
  RegisterCommandEvent(Event);
  PutString(Answer, u"ok", u"1");
}
