// The telvex library when things go wrong: calls failed on demand, dropped
// and refused connections, an unusable event log, a server that restarts
// in the middle of a call; and several threads on one connection.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "TelvexTestServer.h"

namespace {

// Waits (at most about ten seconds) until Done() holds.
template <typename TDone>
bool Eventually(TDone Done) {
  for (int I = 0; I < 200; ++I) {
    if (Done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return Done();
}

int64_t Counter(TTestServer& Server, const char16_t* Call) {
  return AsInteger(GetField(GetField(Server.Admin(R"({"op":"counters"})"), u"counters"), Call));
}

TEST_F(TTelvexTest, CallsFailOnDemandAndRecover) {
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"fail","call":"tvxStatusByList","count":2})"));
  const TTvxAddress List[] = {{1, 2, 17}};
  TStatusReading Result[1] = {{42, 42}};
  EXPECT_EQ(tvxStatusByList(Handle_, 1, List, Result), 0);
  EXPECT_EQ(tvxStatusByList(Handle_, 1, List, Result), 0);
  EXPECT_EQ(Result[0].State, 42);  // a failed call writes nothing
  EXPECT_NE(tvxIsConnected(Handle_), 0);
  EXPECT_EQ(tvxStatusByList(Handle_, 1, List, Result), 1);
  EXPECT_EQ(Result[0].State, 0);
}

TEST_F(TTelvexTest, BlockCallsFailWithoutABlock) {
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"fail","call":"tvxGetStatusClassData","count":1})"));
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"fail","call":"tvxEventLogByElix","count":1})"));
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"fail","call":"tvxRegEvent","count":1})"));
  EXPECT_EQ(tvxGetStatusClassData(Handle_, 1, 1, 2, 3), nullptr);
  TElix Index{};
  EXPECT_EQ(tvxEventLogByElix(Handle_, &Index, 0xFFFF, 0, 0xFFFFFFFF), nullptr);
  EXPECT_EQ(Index.EventNumber, 0);  // unchanged by a failed call
  TServerEvent Event{};
  Event.Type = TVX_EVENT_ACKNOWLEDGE;
  EXPECT_EQ(tvxRegEvent(Handle_, &Event), 0);
  EXPECT_EQ(tvxRegEvent(Handle_, &Event), 1);
  TEventNode* Page = tvxEventLogByElix(Handle_, &Index, 0xFFFF, 0, 0xFFFFFFFF);
  EXPECT_NE(Page, nullptr);
  tvxFreeMemory(Page);
}

TEST_F(TTelvexTest, CountersCountEachOperationUntilReset) {
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"reset"})"));
  char Name[81];
  for (int I = 0; I < 3; ++I) tvxGetObjectName(Handle_, TVX_KIND_STATUS, 1, 2, 3, Name, 80);
  tvxStatus(Handle_, 1, 2, 3);
  EXPECT_EQ(Counter(Server_, u"tvxGetObjectName"), 3);
  EXPECT_EQ(Counter(Server_, u"tvxStatus"), 1);
  EXPECT_EQ(Counter(Server_, u"tvxSetValues"), 0);
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"reset"})"));
  EXPECT_EQ(Counter(Server_, u"tvxGetObjectName"), 0);
  const int32_t Second = Server_.Connect();
  EXPECT_EQ(Counter(Server_, u"tvxConnect"), 1);
  tvxDisconnect(Second);
}

TEST_F(TTelvexTest, ADroppedConnectionIsNoticedWithoutACall) {
  const TJsonPtr Answer = Server_.Admin(R"({"op":"drop"})");
  EXPECT_EQ(AsInteger(GetField(Answer, u"dropped")), 1);
  EXPECT_TRUE(Eventually([&] { return tvxIsConnected(Handle_) == 0; }));
  char Buffer[81] = {};
  EXPECT_EQ(tvxSystemTime(Handle_, Buffer, 0), 0);
  EXPECT_EQ(tvxStatus(Handle_, 1, 2, 3), -1);
  const int32_t Again = Server_.Connect();
  EXPECT_GT(Again, 0);
  EXPECT_EQ(tvxSystemTime(Again, Buffer, 0), 1);
  tvxDisconnect(Again);
}

TEST_F(TTelvexTest, RefusedConnectionsGiveNoHandle) {
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"refuse","seconds":600})"));
  EXPECT_EQ(Server_.Connect(), 0);
  EXPECT_NE(tvxIsConnected(Handle_), 0);  // connections made before stay
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"refuse","seconds":0})"));
  const int32_t Again = Server_.Connect();
  EXPECT_GT(Again, 0);
  tvxDisconnect(Again);
}

TEST_F(TTelvexTest, AnUnusableEventLogGivesNoIndex) {
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"eventlog","usable":false})"));
  TElix Index;
  std::memset(&Index, 0x33, sizeof Index);
  EXPECT_EQ(tvxGetCurrentElix(Handle_, &Index), 0);
  EXPECT_EQ(Index.EventNumber, 0);
  Index = TElix{};
  EXPECT_EQ(tvxEventLogByElix(Handle_, &Index, 0xFFFF, 0, 0xFFFFFFFF), nullptr);
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"eventlog","usable":true})"));
  EXPECT_EQ(tvxGetCurrentElix(Handle_, &Index), 1);
}

TEST_F(TTelvexTest, TheAdminInterfaceChangesPoints) {
  ASSERT_TRUE(Server_.AdminOk(R"({"op":"set","kind":"ts","address":"1.2.17","value":1,"flags":16384,"name":"Renamed",)"
                             R"("properties":"Name=Other\r\nReserving=3:4:5","classData":"ClassNumber=9"})"));
  TStatusReading R{};
  const TTvxAddress A{1, 2, 17};
  ASSERT_EQ(tvxStatusByList(Handle_, 1, &A, &R), 1);
  EXPECT_EQ(R.State, 1);
  EXPECT_EQ(R.Flags, TVX_FLAG_UNACKED);
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_STATUS, 1, 2, 17), "Renamed");
  char Buffer[1025];
  ASSERT_EQ(tvxGetObjectProperties(Handle_, TVX_KIND_STATUS, 1, 2, 17, Buffer, sizeof Buffer), 1);
  EXPECT_STREQ(Buffer, "Name=Other\r\nReserving=3:4:5");
  TStatusClassData* Block = tvxGetStatusClassData(Handle_, 1, 1, 2, 17);
  ASSERT_NE(Block, nullptr);
  EXPECT_STREQ(Block->Text, "ClassNumber=9");
  tvxFreeMemory(Block);
  // The change made a status change event at the point.
  TElix Current{};
  ASSERT_EQ(tvxGetCurrentElix(Handle_, &Current), 1);
  TElix Index{};
  Index.EventNumber = Current.EventNumber - 20;
  bool Found = false;
  while (TEventNode* Page = tvxEventLogByElix(Handle_, &Index, TVX_EVENT_STATUS_CHANGE, 0, 0xFFFFFFFF)) {
    for (TEventNode* N = Page; N; N = N->Next)
      Found = Found || (N->Event.Point == 17 && N->Event.Data.StatusChange.NewState == 1);
    tvxFreeMemory(Page);
  }
  EXPECT_TRUE(Found);
  EXPECT_FALSE(Server_.AdminOk(R"({"op":"set","kind":"ts","address":"1.2.99","value":1})"));
  EXPECT_FALSE(Server_.AdminOk(R"({"op":"set","kind":"ts","address":"1.2.17","value":2})"));
  EXPECT_FALSE(Server_.AdminOk(R"({"op":"set","kind":"ti","address":"1.2.1","classData":"x"})"));
}

TEST_F(TTelvexTest, InjectedRecordsArriveByteForByte) {
  TServerEvent Event;
  std::memset(&Event, 0, sizeof Event);
  std::strcpy(Event.TimeText, "05.03.2014 10:15:00.50");
  Event.Importance = 2;
  Event.Type = 64;
  Event.Channel = 1;
  Event.Rtu = 2;
  Event.Point = 3;
  for (int I = 0; I < 22; ++I) Event.Data.Raw[I] = static_cast<uint8_t>(0xA0 + I);
  std::string Hex;
  const auto* Bytes = reinterpret_cast<const uint8_t*>(&Event);
  for (size_t I = 0; I < sizeof Event; ++I) {
    char Pair[3];
    std::snprintf(Pair, sizeof Pair, "%02x", Bytes[I]);
    Hex += Pair;
  }
  const TJsonPtr Answer = Server_.Admin(R"({"op":"inject","event":")" + Hex + "\"}");
  ASSERT_EQ(AsInteger(GetField(Answer, u"ok")), 1);
  TElix Index{};
  Index.EventNumber = AsInteger(GetField(Answer, u"number")) - 1;
  TEventNode* Page = tvxEventLogByElix(Handle_, &Index, 64, 0, 0xFFFFFFFF);
  ASSERT_NE(Page, nullptr);
  EXPECT_EQ(std::memcmp(&Page->Event, &Event, sizeof Event), 0);
  tvxFreeMemory(Page);
  EXPECT_FALSE(Server_.AdminOk(R"({"op":"inject","event":"00ff"})"));
  EXPECT_FALSE(Server_.AdminOk(R"({"op":"inject","event":")" + std::string(112, 'g') + "\"}"));
}

TEST_F(TTelvexTest, BadAdminRequestsAreAnsweredWithAnError) {
  for (const char* Request : {"{", "[1]", R"({"op":"nothing"})", R"({"op":"fail","call":"tvxNoSuchCall","count":1})",
                              R"({"op":"fail","call":"tvxStatus","count":-1})", R"({"op":"refuse"})",
                              R"({"op":"eventlog","usable":1})", R"({"op":"get","kind":"xx","address":"1.2.3"})"}) {
    const TJsonPtr Answer = Server_.Admin(Request);
    EXPECT_EQ(AsInteger(GetField(Answer, u"ok")), 0) << Request;
    EXPECT_FALSE(AsText(GetField(Answer, u"error")).empty()) << Request;
  }
}

TEST_F(TTelvexTest, ThreadsShareOneConnection) {
  std::vector<std::thread> Threads;
  std::atomic<int> Wrong{0};
  for (uint16_t T = 0; T < 4; ++T)
    Threads.emplace_back([&, T] {
      for (uint16_t I = 1; I <= 100; ++I) {
        const uint16_t Point = static_cast<uint16_t>(T * 100 + I);
        if (NameOf(Handle_, TVX_KIND_STATUS, 1, 5, Point) != "Signal " + std::to_string(Point)) ++Wrong;
        const TTvxAddress A{1, 5, Point};
        TStatusReading R{};
        if (tvxStatusByList(Handle_, 1, &A, &R) != 1 || R.State != 0) ++Wrong;
      }
    });
  for (std::thread& T : Threads) T.join();
  EXPECT_EQ(Wrong.load(), 0);
}

TEST(TelvexRestart, ACallInFlightFailsWhenTheServerStopsAndANewServerIsReachable) {
  auto First = std::make_unique<TTestServer>();
  First->Start();
  const int32_t Handle = First->Connect();
  ASSERT_GT(Handle, 0);
  ASSERT_TRUE(First->AdminOk(R"({"op":"delay","ms":1500})"));
  First->AdminOk(R"({"op":"reset"})");
  std::atomic<int32_t> Result{-2};
  std::thread Caller([&] {
    const TTvxAddress A{1, 2, 17};
    TStatusReading R{};
    Result = tvxStatusByList(Handle, 1, &A, &R);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the request is in the server's hands
  EXPECT_EQ(Result.load(), -2);
  const std::string Pipe = First->Pipe;
  First->Stop();
  Caller.join();
  EXPECT_EQ(Result.load(), 0);
  EXPECT_EQ(tvxIsConnected(Handle), 0);

  TTestServer Second;
  Second.Pipe = Pipe;
  Second.Start();
  EXPECT_EQ(tvxStatus(Handle, 1, 2, 17), -1);  // the old handle stays dead
  const int32_t Again = Second.Connect();
  ASSERT_GT(Again, 0);
  EXPECT_EQ(tvxStatus(Again, 1, 2, 17), 0);
  tvxDisconnect(Again);
  tvxDisconnect(Handle);
}

}  // namespace
