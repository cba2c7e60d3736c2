// Event decoding without a server: one table of records of every kind, each
// with the item it must give, decoded with look-ups answered from tables.
// Reading the log and the server's own look-ups are covered end to end
// (tests/e2e/test_events.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "events/UEventRecord.h"
#include "platform/Regional.h"

namespace {

// Windows-1251 bytes of a text in Latin letters and the Cyrillic А to я,
// so that expected texts read as they are shown.
std::string Ansi(std::u16string_view Text) {
  std::string Bytes;
  for (char16_t C : Text) Bytes += static_cast<char>(C >= u'А' && C <= u'я' ? C - u'А' + 0xC0 : C);
  return Bytes;
}

struct TAddressOrder {
  bool operator()(const TTvxAddress& A, const TTvxAddress& B) const {
    return std::tie(A.Channel, A.Rtu, A.Point) < std::tie(B.Channel, B.Rtu, B.Point);
  }
};
template <class TValue>
using TPointTable = std::map<TTvxAddress, TValue, TAddressOrder>;

// Look-ups answered from tables; unknown points have no name and no class
// data, as the server gives them.
class TTableLookup : public IEventLookup {
 public:
  TPointTable<std::string> StatusNames, AnalogNames;
  TPointTable<TClassData> ClassData;
  std::map<uint16_t, std::string> AlarmNames;  // of every analog point
  std::map<uint32_t, TKeptMessage> Messages;

  std::string StatusName(const TTvxAddress& Point) override { return Find(StatusNames, Point); }
  TClassData StatusClassData(const TTvxAddress& Point) override { return Find(ClassData, Point); }
  std::string AnalogName(const TTvxAddress& Point) override { return Find(AnalogNames, Point); }
  std::string AlarmName(const TTvxAddress&, uint16_t Number) override { return Find(AlarmNames, Number); }
  std::optional<TKeptMessage> KeptMessage(const TServerEvent& Event) override {
    const uint32_t Index = Event.Data.MessageRef.Index;  // a copy: the record's field is packed
    const auto Found = Messages.find(Index);
    if (Found == Messages.end()) return std::nullopt;
    return Found->second;
  }

 private:
  template <class TTable, class TKey>
  static typename TTable::mapped_type Find(const TTable& Table, const TKey& Key) {
    const auto Found = Table.find(Key);
    return Found == Table.end() ? typename TTable::mapped_type{} : Found->second;
  }
};

TTableLookup MakeLookup() {
  TTableLookup Lookup;
  Lookup.StatusNames[{1, 2, 3}] = "Door 3  ";
  Lookup.StatusNames[{1, 2, 1}] = "Breaker";
  Lookup.ClassData[{1, 2, 1}] = {"ClassNumber=5", "classname=Switch", "1Txt=CLOSED", "0Txt=OPEN", "F3Name=Local",
                                 "F31Txt=LOCAL"};
  Lookup.AnalogNames[{1, 2, 1}] = "Bus voltage";
  Lookup.AlarmNames[1] = " High\t";
  const auto Message = [](uint32_t Kind, std::string_view Texts) {
    std::vector<uint8_t> Bytes(4 + Texts.size());
    std::memcpy(Bytes.data(), &Kind, 4);
    std::memcpy(Bytes.data() + 4, Texts.data(), Texts.size());
    return Bytes;
  };
  Lookup.Messages[71] = {0x100, Message(0x66, std::string_view("Line one\0Line two", 18))};
  Lookup.Messages[72] = {0x200, Message(0, "hidden")};
  Lookup.Messages[74] = {0x100, {1, 0}};
  return Lookup;
}

const char* const When = "01.02.2020 10:20:30.450";

// A record of Type at Channel.Rtu.Point; Data fills the type data from
// offset 34 on.
TServerEvent Event(const char* Time, uint16_t Importance, uint16_t Type, TTvxAddress At,
                   std::initializer_list<uint8_t> Data = {}) {
  TServerEvent Record{};
  std::memcpy(Record.TimeText, Time, std::min(std::strlen(Time), sizeof Record.TimeText));
  Record.Importance = Importance;
  Record.Type = Type;
  Record.Channel = At.Channel;
  Record.Rtu = At.Rtu;
  Record.Point = At.Point;
  std::copy(Data.begin(), Data.end(), Record.Data.Raw);
  return Record;
}

TServerEvent Change(const char* Time, uint16_t Importance, TTvxAddress At, uint8_t State, uint8_t Mark,
                    uint32_t Signature = 0, int32_t SourceTime = 0, uint16_t Faults = 0, uint32_t Flags = 0) {
  TServerEvent Record = Event(Time, Importance, TVX_EVENT_STATUS_CHANGE, At, {State, Mark});
  TStatusChangeData& Data = Record.Data.StatusChange;
  Data.Signature = Signature;
  Data.SourceTime = SourceTime;
  Data.FaultBits = Faults;
  Data.FlagBits = Flags;
  return Record;
}

TServerEvent AnalogAlarm(uint16_t Importance, float Value, uint16_t Number, uint8_t Active) {
  TServerEvent Record = Event(When, Importance, TVX_EVENT_ANALOG_ALARM, {1, 2, 1});
  Record.Data.AnalogAlarm.Value = Value;
  Record.Data.AnalogAlarm.AlarmNumber = Number;
  Record.Data.AnalogAlarm.Active = Active;
  return Record;
}

TServerEvent AnalogSet(float Value, uint8_t ByHand) {
  TServerEvent Record = Event(When, 1, TVX_EVENT_ANALOG_SET, {1, 2, 1});
  Record.Data.AnalogSet.Value = Value;
  Record.Data.AnalogSet.ByHand = ByHand;
  return Record;
}

// A message carried in the record at Channel.Rtu.0: kind, then the texts.
TServerEvent Message(TTvxAddress At, uint32_t Kind, std::string_view Texts) {
  TServerEvent Record = Event(When, 1, TVX_EVENT_MESSAGE, At);
  Record.Data.Message.Kind = Kind;
  std::memcpy(Record.Data.Message.Texts, Texts.data(), std::min(Texts.size(), sizeof Record.Data.Message.Texts));
  return Record;
}

TServerEvent MessageRef(uint32_t Index) {
  TServerEvent Record = Event(When, 1, TVX_EVENT_MESSAGE_REF, {0, 0, 0});
  Record.Data.MessageRef.Index = Index;
  return Record;
}

struct TItem {
  int32_t Importance;
  std::string DateText, AddrText, Name, StateText, TypeText;
};

struct TCase {
  const char* What;
  TServerEvent Record;
  std::optional<TItem> Expected;  // nothing: the event yields no record
};

class UEventsTest : public testing::Test {
 protected:
  void SetUp() override {
    TRegionalSettings Comma = Saved_;
    Comma.DecimalSeparator = ",";
    SetRegionalSettings(Comma);
  }
  void TearDown() override { SetRegionalSettings(Saved_); }

 private:
  const TRegionalSettings Saved_ = RegionalSettings();
};

TEST_F(UEventsTest, EveryKindGivesItsTexts) {
  constexpr uint32_t Extended = TVX_SIGNATURE_EXTENDED;
  const std::string Ts = Ansi(u"ТС"), On = Ansi(u"ВКЛ"), Off = Ansi(u"ОТКЛ");
  const TCase Cases[] = {
      {"status change to 1", Change(When, 1, {1, 2, 3}, 1, 0), TItem{1, When, "#TC1:2:3", "Door 3", On, Ts}},
      {"status change to 0", Change(When, 0, {1, 2, 3}, 0, 0), TItem{0, When, "#TC1:2:3", "Door 3", Off, Ts}},
      {"alarm signal to 0 lifts importance", Change(When, 3, {1, 2, 4}, 0, 1),
       TItem{2, When, "#TC1:2:4", "", Ansi(u"СНЯТ"), Ansi(u"АПС")}},
      {"alarm signal to 1", Change(When, 3, {1, 2, 4}, 1, 1),
       TItem{3, When, "#TC1:2:4", "", Ansi(u"ВЗВЕДЕН"), Ansi(u"АПС")}},
      {"state beyond 1", Change(When, 1, {1, 2, 3}, 2, 0), TItem{1, When, "#TC1:2:3", "Door 3", "", Ts}},
      {"classed point", Change(When, 1, {1, 2, 1}, 1, 1), TItem{1, When, "#TC1:2:1", "Breaker", "CLOSED", "Switch"}},
      {"line break and every flag", Change(When, 1, {1, 2, 3}, 1, 0, Extended | 0x14, 0, 3, 0x0B),
       TItem{1, When, "#TC1:2:3", "Door 3", Ansi(u"00 - ОБРЫВ Н.А. БЛОК РУЧН."), Ts}},
      {"line fault", Change(When, 1, {1, 2, 3}, 1, 0, Extended | 0x04, 0, 2, 1),
       TItem{1, When, "#TC1:2:3", "Door 3", Ansi(u"11 - НЕИСПР"), Ts}},
      {"fault words need the signature", Change(When, 1, {1, 2, 3}, 1, 0, 0xEEAAEC14, 0, 1, 1),
       TItem{1, When, "#TC1:2:3", "Door 3", On, Ts}},
      {"source time on a 19-character time", Change("01.02.2020 10:20:30", 1, {1, 2, 3}, 1, 0, 0, 5),
       TItem{1, "01.02.2020 10:20:30.000", "#TC1:2:3", "Door 3", On, Ts}},
      {"source time on a 23-character time", Change(When, 1, {1, 2, 3}, 1, 0, 0, 5),
       TItem{1, When, "#TC1:2:3", "Door 3", On, Ts}},
      {"hundredths", Change("1.2.2020 10:20:30.45", 1, {1, 2, 3}, 1, 0),
       TItem{1, "1.2.2020 10:20:30.45", "#TC1:2:3", "Door 3", On, Ts}},
      {"date alone", Event("01.02.2020", 1, 64, {1, 2, 3}),
       TItem{1, "01.02.2020", "1:2:3", Ansi(u"Неизвестное событие"), "", ""}},
      {"analog alarm active at 1", AnalogAlarm(1, 12.5f, 1, 1),
       TItem{1, When, "#TT1:2:1", "Bus voltage", "12,500", "High"}},
      {"analog alarm active at 2", AnalogAlarm(2, -3.25f, 1, 1),
       TItem{2, When, "#TT1:2:1", "Bus voltage", Ansi(u"Предупреждение (-3,250)"), "High"}},
      {"analog alarm active at 3", AnalogAlarm(3, 120, 1, 1),
       TItem{3, When, "#TT1:2:1", "Bus voltage", Ansi(u"Тревога (120,000)"), "High"}},
      {"analog alarm back to normal", AnalogAlarm(3, 99, 9, 2),
       TItem{2, When, "#TT1:2:1", "Bus voltage", Ansi(u"Норма"), ""}},
      {"control", Event(When, 1, TVX_EVENT_CONTROL, {1, 2, 1}, {0, 0, 0, 0, 0}),
       TItem{1, When, "#TC1:2:1", "Breaker", "OPEN", Ansi(u"ТУ")}},
      {"status set by hand", Event(When, 1, TVX_EVENT_STATUS_SET, {1, 2, 3}, {0, 0, 0, 0, 1}),
       TItem{1, When, "#TC1:2:3", "Door 3", On, Ansi(u"Вручную")}},
      {"class field", Event(When, 1, TVX_EVENT_STATUS_SET, {1, 2, 1}, {0xFF, 3, 0, 0, 1}),
       TItem{1, When, "#TC1:2:1", "Breaker", "LOCAL", "Local"}},
      {"class field without its texts", Event(When, 1, TVX_EVENT_STATUS_SET, {1, 2, 1}, {0xFF, 4, 0, 0, 0}),
       TItem{1, When, "#TC1:2:1", "Breaker", "0", "F4"}},
      {"class mark on a control", Event(When, 1, TVX_EVENT_CONTROL, {1, 2, 3}, {0xFF, 3, 0, 0, 1}),
       TItem{1, When, "#TC1:2:3", "Door 3", On, Ansi(u"ТУ")}},
      {"acknowledgement", Event(When, 0, TVX_EVENT_ACKNOWLEDGE, {1, 2, 3}, {0x00, 0x80}),
       TItem{0, When, "#TC1:2:3", "Door 3", "", Ansi(u"Квитирование")}},
      {"general acknowledgement of status points", Event(When, 0, TVX_EVENT_ACKNOWLEDGE, {0, 0, 0}, {0x00, 0x80}),
       TItem{0, When, "#TC0:0:0", Ansi(u"Общее квитирование ТС"), "", Ansi(u"Квитирование")}},
      {"general acknowledgement of analog points", Event(When, 0, TVX_EVENT_ACKNOWLEDGE, {0, 0, 0}, {0x01, 0x80}),
       TItem{0, When, "#TC0:0:0", Ansi(u"Общее квитирование ТИ"), "", Ansi(u"Квитирование")}},
      {"analog set by hand", AnalogSet(7.25f, 1),
       TItem{1, When, "#TT1:2:1", "Bus voltage", "7,250", Ansi(u"РУЧН.")}},
      {"analog value from telemechanics", AnalogSet(7.25f, 0),
       TItem{1, When, "#TT1:2:1", "Bus voltage", "", Ansi(u"ОТ ТМ")}},
      {"message of two lines", Message({0, 1, 0}, 0x01020066, std::string_view("A\0B", 3)),
       TItem{1, When, "#MSG1:2:", "A\r\nB", "", Ansi(u"СООБЩ")}},
      {"message with a source", Message({0, 1, 0}, 0, std::string_view("Start \0src", 10)),
       TItem{1, When, "#MSG", "Start", "", Ansi(u"СООБЩ")}},
      {"message filling its record", Message({0, 1, 0}, 0x66, std::string(18, 'X')),
       TItem{1, When, "#MSG", std::string(18, 'X'), "", Ansi(u"СООБЩ")}},
      {"message at RTU 2", Message({0, 2, 0}, 0, "hidden"), std::nullopt},
      {"message by index", MessageRef(71), TItem{1, When, "#MSG", "Line one\r\nLine two", "", Ansi(u"СООБЩ")}},
      {"message by index of another layout", MessageRef(72), std::nullopt},
      {"message by an unknown index", MessageRef(73), std::nullopt},
      {"kept message shorter than its kind", MessageRef(74), std::nullopt},
      {"unknown type", Event(When, 7, 64, {1, 2, 3}),
       TItem{7, When, "1:2:3", Ansi(u"Неизвестное событие"), "", ""}},
  };
  TTableLookup Lookup = MakeLookup();
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    const std::optional<TEventLogRecord> Record = MakeEventLogRecord(Case.Record, Lookup);
    ASSERT_EQ(Record.has_value(), Case.Expected.has_value());
    if (!Record) continue;
    const TItem& Item = *Case.Expected;
    EXPECT_EQ(Record->Importance, Item.Importance);
    EXPECT_EQ(Record->DateText, Item.DateText);
    EXPECT_EQ(Record->AddrText, Item.AddrText);
    EXPECT_EQ(Record->Name, Item.Name);
    EXPECT_EQ(Record->StateText, Item.StateText);
    EXPECT_EQ(Record->TypeText, Item.TypeText);
  }
}

TEST_F(UEventsTest, InvalidTimeFailsNamingItsText) {
  TTableLookup Lookup = MakeLookup();
  for (const char* Time : {"31.02.2019 10:20:30", "1.1.20 0:0:0.999999999", ""}) {
    SCOPED_TRACE(Time);
    try {
      MakeEventLogRecord(Event(Time, 1, 64, {1, 2, 3}), Lookup);
      ADD_FAILURE() << "no failure";
    } catch (const EEventError& Error) {
      EXPECT_EQ(std::string(Error.what()), std::string("ERROR: invalid event time ") + Time);
    }
  }
}

}  // namespace
