// The telvex library's event log calls against the simulator: the current
// index, the paging contract, filters, registered events and messages.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "TelvexTestServer.h"

namespace {

struct TDelivered {
  int64_t Number;
  TServerEvent Event;
};

// Every event after Index, page by page, until the library gives no page.
std::vector<TDelivered> ReadAll(int32_t Handle, TElix& Index, uint16_t Mask = 0xFFFF, uint32_t Start = 0,
                                uint32_t End = 0xFFFFFFFF, int* Pages = nullptr) {
  std::vector<TDelivered> Events;
  while (TEventNode* Page = tvxEventLogByElix(Handle, &Index, Mask, Start, End)) {
    for (const TEventNode* Node = Page; Node; Node = Node->Next) Events.push_back({Node->EventNumber, Node->Event});
    tvxFreeMemory(Page);
    if (Pages) ++*Pages;
  }
  return Events;
}

TElix IndexAt(int64_t Number) {
  TElix Index{};
  Index.EventNumber = Number;
  return Index;
}

TEST_F(TTelvexTest, TheCurrentIndexCarriesTheNewestNumber) {
  TElix Current{};
  ASSERT_EQ(tvxGetCurrentElix(Handle_, &Current), 1);
  EXPECT_GE(Current.EventNumber, 7000000001);
  for (uint8_t Byte : Current.Reserved) EXPECT_EQ(Byte, 0);
  // Current minus N delivers the last N events (and any that came since).
  TElix Index = IndexAt(Current.EventNumber - 5);
  const std::vector<TDelivered> Events = ReadAll(Handle_, Index);
  ASSERT_GE(Events.size(), 5u);
  for (size_t I = 0; I < Events.size(); ++I) EXPECT_EQ(Events[I].Number, Current.EventNumber - 4 + static_cast<int64_t>(I));
  EXPECT_EQ(Index.EventNumber, Events.back().Number);  // advanced past what it delivered
}

TEST_F(TTelvexTest, AZeroIndexStartsBeforeTheFirstEventAndPagesReachTheEnd) {
  TElix Index{};
  int Pages = 0;
  const std::vector<TDelivered> Events = ReadAll(Handle_, Index, 0xFFFF, 0, 0xFFFFFFFF, &Pages);
  ASSERT_FALSE(Events.empty());
  EXPECT_EQ(Events.front().Number, 7000000001);
  EXPECT_GT(Pages, 1);
  for (size_t I = 1; I < Events.size(); ++I) EXPECT_EQ(Events[I].Number, Events[I - 1].Number + 1);
  // At the end: no page, and the index stays where it is.
  const TElix End = Index;
  EXPECT_EQ(tvxEventLogByElix(Handle_, &Index, 0xFFFF, 0, 0xFFFFFFFF), nullptr);
  EXPECT_GE(Index.EventNumber, End.EventNumber);
}

TEST_F(TTelvexTest, AnIndexBeyondTheNewestEventGivesNothing) {
  TElix Current{};
  ASSERT_EQ(tvxGetCurrentElix(Handle_, &Current), 1);
  TElix Index = IndexAt(Current.EventNumber + 1000);
  EXPECT_EQ(tvxEventLogByElix(Handle_, &Index, 0xFFFF, 0, 0xFFFFFFFF), nullptr);
  EXPECT_EQ(Index.EventNumber, Current.EventNumber + 1000);
  Index = IndexAt(INT64_MAX);
  EXPECT_EQ(tvxEventLogByElix(Handle_, &Index, 0xFFFF, 0, 0xFFFFFFFF), nullptr);
}

TEST_F(TTelvexTest, TheTypeMaskAndTheTimeSpanAreApplied) {
  TElix Index{};
  const std::vector<TDelivered> All = ReadAll(Handle_, Index);
  Index = TElix{};
  const std::vector<TDelivered> Changes = ReadAll(Handle_, Index, TVX_EVENT_STATUS_CHANGE | TVX_EVENT_ANALOG_ALARM);
  ASSERT_FALSE(Changes.empty());
  EXPECT_LT(Changes.size(), All.size());
  for (const TDelivered& E : Changes) EXPECT_TRUE(E.Event.Type == 1 || E.Event.Type == 2) << E.Event.Type;

  const uint32_t Start = static_cast<uint32_t>(String2Utime(&All[All.size() / 3].Event));
  const uint32_t End = Start + 1800;
  Index = TElix{};
  const std::vector<TDelivered> Span = ReadAll(Handle_, Index, 0xFFFF, Start, End);
  size_t Expected = 0;
  for (const TDelivered& E : All) {
    const auto Seconds = static_cast<uint32_t>(String2Utime(&E.Event));
    if (Seconds >= Start && Seconds <= End) ++Expected;
  }
  EXPECT_EQ(Span.size(), Expected);
  for (const TDelivered& E : Span) {
    EXPECT_GE(static_cast<uint32_t>(String2Utime(&E.Event)), Start);
    EXPECT_LE(static_cast<uint32_t>(String2Utime(&E.Event)), End);
  }
}

TEST_F(TTelvexTest, RegisteredEventsGetTheServersTimeAndTheNextNumber) {
  TServerEvent Event{};
  Event.Importance = 1;
  Event.Type = TVX_EVENT_STATUS_SET;
  Event.Channel = 1;
  Event.Rtu = 2;
  Event.Point = 3;
  Event.Data.StatusSet.State = 1;
  std::memcpy(Event.Data.StatusSet.Source, "Vorlane", 7);
  ASSERT_EQ(tvxRegEvent(Handle_, &Event), 1);
  TElix Current{};
  ASSERT_EQ(tvxGetCurrentElix(Handle_, &Current), 1);
  TElix Index = IndexAt(Current.EventNumber - 50);
  const std::vector<TDelivered> Events = ReadAll(Handle_, Index, TVX_EVENT_STATUS_SET);
  ASSERT_FALSE(Events.empty());
  const TServerEvent& Got = Events.back().Event;
  EXPECT_EQ(std::strlen(Got.TimeText), 23u);  // milliseconds
  EXPECT_NE(String2Utime(&Got), 0);
  EXPECT_EQ(std::memcmp(&Got.Importance, &Event.Importance, sizeof Event - sizeof Event.TimeText), 0);
}

TEST_F(TTelvexTest, RegisteredEventsKeepTheirOwnTimeText) {
  TServerEvent Event{};
  std::strcpy(Event.TimeText, "01.02.2020 10:20:30");
  Event.Type = TVX_EVENT_ACKNOWLEDGE;
  ASSERT_EQ(tvxRegEvent(Handle_, &Event), 1);
  TElix Current{};
  ASSERT_EQ(tvxGetCurrentElix(Handle_, &Current), 1);
  TElix Index = IndexAt(Current.EventNumber - 1);
  const uint32_t Then = static_cast<uint32_t>(String2Utime(&Event));
  const std::vector<TDelivered> Events = ReadAll(Handle_, Index, 0xFFFF, Then, Then);
  ASSERT_EQ(Events.size(), 1u);
  EXPECT_STREQ(Events[0].Event.TimeText, "01.02.2020 10:20:30");
}

TEST_F(TTelvexTest, MessagesReferredToByIndexAreFetched) {
  TElix Index{};
  const std::vector<TDelivered> Refs = ReadAll(Handle_, Index, TVX_EVENT_MESSAGE_REF);
  ASSERT_FALSE(Refs.empty());
  for (const TDelivered& Ref : Refs) {
    int32_t Size = 0;
    TMessageBlock* Block =
        tvxEventLogByIndex(Handle_, Ref.Event.Data.MessageRef.Index, String2Utime(&Ref.Event), &Size);
    ASSERT_NE(Block, nullptr);
    EXPECT_EQ(Block->Layout, 0x100);
    EXPECT_GE(static_cast<size_t>(Size), offsetof(TMessageBlock, Message) + Block->Length);
    const char* First = Block->Message.Texts;
    const char* Second = First + std::strlen(First) + 1;
    EXPECT_GT(std::strlen(First), 0u);
    EXPECT_EQ(4 + std::strlen(First) + 1 + std::strlen(Second) + 1, Block->Length);
    tvxFreeMemory(Block);
  }
  EXPECT_EQ(tvxEventLogByIndex(Handle_, 0xFFFFFFFF, 0, nullptr), nullptr);
}

// The history of the demo dataset holds every kind of event that clients
// decode.
TEST(TelvexDemoHistory, CoversEveryEventLayout) {
  std::ifstream File(TELVEX_DEMO_DATASET, std::ios::binary);
  ASSERT_TRUE(File) << TELVEX_DEMO_DATASET;
  std::string Text((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
  TTestServer Server(Text);
  Server.Start();
  const int32_t Handle = Server.Connect();
  ASSERT_GT(Handle, 0);
  TElix Index{};
  const std::vector<TDelivered> Events = ReadAll(Handle, Index);
  EXPECT_GT(Events.size(), 3000u);
  std::set<std::string> Seen;
  for (const TDelivered& E : Events) {
    const TServerEvent& R = E.Event;
    Seen.insert("type " + std::to_string(R.Type));
    Seen.insert("time text " + std::to_string(std::strlen(R.TimeText)));
    if (R.Type == TVX_EVENT_STATUS_CHANGE) {
      const uint32_t Signature = R.Data.StatusChange.Signature;
      Seen.insert(Signature == 0 ? "plain change" : Signature == TVX_SIGNATURE_RESERVE ? "reserve change" : "");
      if ((Signature & TVX_SIGNATURE_EXTENDED) == TVX_SIGNATURE_EXTENDED) Seen.insert("extended change");
      if (R.Data.StatusChange.FaultBits != 0) Seen.insert("line fault");
      if (R.Data.StatusChange.SourceTime != 0 && R.Data.StatusChange.SourceMs != 0) Seen.insert("source ms");
      if (R.Data.StatusChange.AlarmMark != 0 && R.Data.StatusChange.NewState == 0) Seen.insert("alarm cleared");
    }
    if (R.Type == TVX_EVENT_ANALOG_ALARM) Seen.insert(R.Data.AnalogAlarm.Active == 1 ? "alarm on" : "alarm off");
    if (R.Type == TVX_EVENT_ACKNOWLEDGE && R.Channel == 0 && R.Rtu == 0 && R.Point == 0)
      Seen.insert("general ack " + std::to_string(R.Data.Acknowledge.GeneralCode));
    if (R.Type == TVX_EVENT_STATUS_SET) Seen.insert(R.Data.StatusSet.ClassMark == 0xFF ? "class field" : "by hand");
    if (R.Type == TVX_EVENT_ANALOG_SET) Seen.insert(R.Data.AnalogSet.ByHand == 1 ? "analog by hand" : "analog from tm");
    if (R.Type == TVX_EVENT_MESSAGE && R.Channel == 0 && R.Rtu == 1)
      Seen.insert("message layout " + std::to_string(R.Data.Message.Kind & 0xFFFF));
  }
  for (const char* Wanted :
       {"type 1", "type 2", "type 4", "type 8", "type 16", "type 32", "type 8192", "type 32768", "type 64",
        "time text 19", "time text 22", "time text 23", "plain change", "reserve change", "extended change",
        "line fault", "source ms", "alarm cleared", "alarm on", "alarm off", "general ack 32768",
        "general ack 32769", "class field", "by hand", "analog by hand", "analog from tm", "message layout 102",
        "message layout 0"})
    EXPECT_EQ(Seen.count(Wanted), 1u) << Wanted;
  tvxDisconnect(Handle);
}

TEST(TelvexDemoHistory, HasTheBigRtus) {
  std::ifstream File(TELVEX_DEMO_DATASET, std::ios::binary);
  std::string Text((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
  const TModel Model = ParseDataset(Text);
  size_t Rtus = 0, Largest = 0;
  bool FullPage = false;
  for (const auto& [Number, Channel] : Model.Channels)
    for (const auto& [RtuNumber, Rtu] : Channel.Rtus) {
      ++Rtus;
      Largest = std::max(Largest, Rtu.Status.size());
      FullPage = FullPage || Rtu.Status.size() == 255;
    }
  EXPECT_GE(Model.Channels.size(), 3u);
  EXPECT_GE(Rtus, 10u);
  EXPECT_EQ(Largest, 600u);
  EXPECT_TRUE(FullPage);
}

}  // namespace
