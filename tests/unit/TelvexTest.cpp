// The telvex library against the simulator: connection, times, readings,
// retrospective, objects and commands.
#include <chrono>
#include <cmath>
#include <thread>
#include <cstring>
#include <string>
#include <vector>

#include "TelvexTestServer.h"

namespace {

// ---- connection and times ----

TEST(TelvexConnection, ConnectGivesPositiveHandlesThatStayApart) {
  TTestServer Server;
  Server.Start();
  const int32_t A = Server.Connect();
  const int32_t B = Server.Connect();
  EXPECT_GT(A, 0);
  EXPECT_GT(B, 0);
  EXPECT_NE(A, B);
  EXPECT_NE(tvxIsConnected(A), 0);
  tvxDisconnect(A);
  EXPECT_EQ(tvxIsConnected(A), 0);
  EXPECT_NE(tvxIsConnected(B), 0);  // the other connection is untouched
  tvxDisconnect(B);
}

TEST(TelvexConnection, NoServerMeansNoHandle) {
  TTestServer Server;  // not started: nobody listens on its pipe
  EXPECT_EQ(Server.Connect(), 0);
  EXPECT_EQ(tvxConnect("no-such-machine-xyz", Server.Pipe.c_str(), 0, 0, 0), 0);
  EXPECT_EQ(tvxConnect(".", "", 0, 0, 0), 0);
  EXPECT_EQ(tvxConnect(nullptr, nullptr, 0, 0, 0), 0);
}

TEST(TelvexConnection, UnknownHandlesFailEveryCall) {
  char Buffer[81] = "untouched";
  EXPECT_EQ(tvxIsConnected(0), 0);
  EXPECT_EQ(tvxIsConnected(-1), 0);
  EXPECT_EQ(tvxSystemTime(12345, Buffer, 0), 0);
  EXPECT_STREQ(Buffer, "untouched");
  TElix Index;
  std::memset(&Index, 0x55, sizeof Index);
  EXPECT_EQ(tvxGetCurrentElix(12345, &Index), 0);
  EXPECT_EQ(Index.EventNumber, 0);
  tvxDisconnect(12345);  // harmless
}

TEST_F(TTelvexTest, SystemTimeIsTheServersTimeWithMilliseconds) {
  char Buffer[81] = {};
  ASSERT_EQ(tvxSystemTime(Handle_, Buffer, 0), 1);
  TTvxDateTime Time;
  EXPECT_EQ(std::strlen(Buffer), 23u);
  EXPECT_TRUE(ParseTvxTime(Buffer, sizeof Buffer, Time)) << Buffer;
  EXPECT_LE(std::llabs(TvxSecondsOf(Time) - LocalNowMs() / 1000), 5);
}

TEST(TelvexTimes, TextsAndSecondsConvertBothWays) {
  char Text[100] = {};
  Utime2Str(0, Text);
  EXPECT_STREQ(Text, "01.01.1970 00:00:00");
  Utime2Str(1582972245, Text);  // a leap day
  EXPECT_STREQ(Text, "29.02.2020 10:30:45");
  TServerEvent Event{};
  std::strcpy(Event.TimeText, Text);
  EXPECT_EQ(String2Utime(&Event), 1582972245);
  std::strcpy(Event.TimeText, "29.02.2020 10:30:45.12");  // hundredths
  EXPECT_EQ(String2Utime(&Event), 1582972245);
  std::strcpy(Event.TimeText, "29.02.2020 10:30:45.123");  // milliseconds
  EXPECT_EQ(String2Utime(&Event), 1582972245);
}

TEST(TelvexTimes, InvalidTextsGiveZero) {
  TServerEvent Event{};
  for (const char* Text : {"", "29.02.2021 10:30:45", "31.04.2020 00:00:00", "01.01.2020 24:00:00",
                           "01.01.2020 10:30", "01.01.2020 10:30:45.1", "01.01.2020 10:30:45.1234", "garbage"}) {
    std::memset(Event.TimeText, 0, sizeof Event.TimeText);
    std::memcpy(Event.TimeText, Text, std::strlen(Text));
    EXPECT_EQ(String2Utime(&Event), 0) << Text;
  }
  EXPECT_EQ(String2Utime(nullptr), 0);
  // A text filling all 24 bytes without a NUL is read no further.
  std::memset(Event.TimeText, '1', sizeof Event.TimeText);
  EXPECT_EQ(String2Utime(&Event), 0);
}

// ---- readings ----

TEST_F(TTelvexTest, StatusListGivesRecordIForAddressI) {
  const TTvxAddress List[] = {{1, 2, 17}, {0, 0, 0}, {1, 2, 3}, {9, 9, 9}, {1, 2, 17}};
  TStatusReading Result[5];
  std::memset(Result, 0x77, sizeof Result);
  ASSERT_EQ(tvxStatusByList(Handle_, 5, List, Result), 1);
  EXPECT_EQ(Result[0].State, 0);
  EXPECT_EQ(Result[0].Flags & TVX_FLAG_BLOCKED, TVX_FLAG_BLOCKED);  // the dataset's flags
  for (int Unknown : {1, 3}) {
    EXPECT_EQ(Result[Unknown].State, -1);
    EXPECT_EQ(Result[Unknown].Flags, TVX_FLAGS_NONE);
  }
  EXPECT_TRUE(Result[2].State == 0 || Result[2].State == 1);
  EXPECT_EQ(std::memcmp(&Result[0], &Result[4], sizeof Result[0]), 0);
}

TEST_F(TTelvexTest, AlarmSignalsCarryTheirMark) {
  const TTvxAddress List[] = {{1, 2, 4}};
  TStatusReading Result[1];
  ASSERT_EQ(tvxStatusByList(Handle_, 1, List, Result), 1);
  EXPECT_EQ(Result[0].Flags & TVX_FLAG_ALARM_SIGNAL, TVX_FLAG_ALARM_SIGNAL);
}

TEST_F(TTelvexTest, AnalogAndAccumulatorListsCarryUnitsAndDecimals) {
  const TTvxAddress Analog[] = {{1, 2, 1}, {1, 2, 2}, {1, 2, 99}};
  TAnalogReading A[3];
  ASSERT_EQ(tvxAnalogByList(Handle_, 3, Analog, A, 0, 0), 1);
  EXPECT_STREQ(std::string(A[0].Units, 2).c_str(), "kV");
  EXPECT_EQ(static_cast<unsigned char>(A[0].Units[7]), 7 + 2 * 16);
  EXPECT_EQ(A[0].Units[2], '\0');
  EXPECT_NEAR(A[0].Value, 110, 9);
  EXPECT_EQ(static_cast<unsigned char>(A[1].Units[7]), 32);
  EXPECT_FLOAT_EQ(A[1].Value, 50);
  EXPECT_EQ(A[2].Flags, TVX_FLAGS_NONE);

  const TTvxAddress Accum[] = {{1, 2, 1}, {1, 1, 1}};
  TAccumReading C[2];
  ASSERT_EQ(tvxAccumByList(Handle_, 2, Accum, C, 0), 1);
  EXPECT_EQ(std::string(C[0].Units, 3), "MWh");
  EXPECT_EQ(static_cast<unsigned char>(C[0].Units[7]), 7 + 3 * 16);
  EXPECT_GE(C[0].Value, C[0].LastValue);  // the value grows through the hour
  EXPECT_GE(C[0].LastValue, 100);
  EXPECT_EQ(C[1].Flags, TVX_FLAGS_NONE);
}

TEST_F(TTelvexTest, AThousandPointsComeInOneCall) {
  std::vector<TTvxAddress> List(1000);
  for (uint16_t I = 0; I < 1000; ++I) List[I] = {1, 5, static_cast<uint16_t>(I % 600 + 1)};
  std::vector<TStatusReading> Result(1000);
  Server_.AdminOk(R"({"op":"reset"})");
  ASSERT_EQ(tvxStatusByList(Handle_, 1000, List.data(), Result.data()), 1);
  for (const TStatusReading& R : Result) EXPECT_EQ(R.State, 0);
  EXPECT_EQ(AsInteger(GetField(GetField(Server_.Admin(R"({"op":"counters"})"), u"counters"), u"tvxStatusByList")), 1);
}

TEST_F(TTelvexTest, EmptyListsAreServed) {
  EXPECT_EQ(tvxStatusByList(Handle_, 0, nullptr, nullptr), 1);
}

TEST_F(TTelvexTest, AnalogFullHasUnitsAndAlarmLimits) {
  TAnalogFull Full{};
  ASSERT_EQ(tvxAnalogFull(Handle_, 1, 2, 1, &Full, 0, 0), 1);
  EXPECT_EQ(std::string(Full.Units, 2), "kV");
  EXPECT_EQ(Full.AlarmCount, 2);
  EXPECT_FLOAT_EQ(Full.LowLimit, 104);
  EXPECT_FLOAT_EQ(Full.HighLimit, 115);
  TAnalogFull Untouched;
  std::memset(&Untouched, 0x5A, sizeof Untouched);
  TAnalogFull Unknown = Untouched;
  EXPECT_EQ(tvxAnalogFull(Handle_, 1, 2, 99, &Unknown, 0, 0), 0);
  EXPECT_EQ(std::memcmp(&Unknown, &Untouched, sizeof Unknown), 0);
}

// The server's current second, read twice around Action; true when both
// reads fell in the same second (Second then holds it).
template <typename TAction>
bool WithinOneSecond(int32_t Handle, TAction Action, int64_t& Second) {
  char Before[81] = {}, After[81] = {};
  TTvxDateTime T1, T2;
  if (tvxSystemTime(Handle, Before, 0) != 1) return false;
  Action();
  if (tvxSystemTime(Handle, After, 0) != 1 || !ParseTvxTime(Before, 81, T1) || !ParseTvxTime(After, 81, T2))
    return false;
  Second = TvxSecondsOf(T1);
  return Second == TvxSecondsOf(T2);
}

TEST_F(TTelvexTest, RetrospectiveAgreesWithLiveReadings) {
  const TTvxAddress List[] = {{1, 2, 1}};
  TAnalogReading Live[1];
  int64_t Second = 0;
  for (int Attempt = 0; Attempt < 20; ++Attempt)
    if (WithinOneSecond(Handle_, [&] { tvxAnalogByList(Handle_, 1, List, Live, 0, 0); }, Second)) break;
  ASSERT_NE(Second, 0);
  TRetroReading Samples[3];
  ASSERT_EQ(tvxTakeRetroTit(Handle_, 1, 2, 1, static_cast<int32_t>(Second - 20), 0, 3, 10, Samples), 1);
  EXPECT_FLOAT_EQ(Samples[2].Value, Live[0].Value);
  EXPECT_EQ(Samples[2].Flags, Live[0].Flags);
  // Samples are taken one step apart: each is the value at its moment.
  TRetroReading One[1];
  ASSERT_EQ(tvxTakeRetroTit(Handle_, 1, 2, 1, static_cast<int32_t>(Second - 10), 0, 1, 1, One), 1);
  EXPECT_FLOAT_EQ(One[0].Value, Samples[1].Value);
}

TEST_F(TTelvexTest, RetrospectiveOfTheFutureHasNoValues) {
  const int32_t Later = static_cast<int32_t>(LocalNowMs() / 1000 + 3600);
  TRetroReading Samples[2];
  ASSERT_EQ(tvxTakeRetroTit(Handle_, 1, 2, 1, Later, 0, 2, 60, Samples), 1);
  EXPECT_EQ(Samples[0].Flags, TVX_FLAGS_NONE);
  EXPECT_EQ(Samples[1].Flags, TVX_FLAGS_NONE);
}

TEST_F(TTelvexTest, LongStepsUseTheHighPart) {
  const int32_t Start = static_cast<int32_t>(LocalNowMs() / 1000 - 3 * 86400);
  TRetroReading Day[2], Direct[1];
  // 86400 seconds = 1 * 65536 + 20864.
  ASSERT_EQ(tvxTakeRetroTit(Handle_, 1, 2, 1, Start, 1, 2, 20864, Day), 1);
  ASSERT_EQ(tvxTakeRetroTit(Handle_, 1, 2, 1, Start + 86400, 0, 1, 1, Direct), 1);
  EXPECT_FLOAT_EQ(Day[1].Value, Direct[0].Value);
}

TEST_F(TTelvexTest, RetrospectiveOfAnUnknownPointFails) {
  TRetroReading Samples[1] = {{12.5f, 3}};
  EXPECT_EQ(tvxTakeRetroTit(Handle_, 1, 2, 99, 0, 0, 1, 60, Samples), 0);
  EXPECT_FLOAT_EQ(Samples[0].Value, 12.5f);
}

// ---- objects ----

TEST_F(TTelvexTest, NamesOfEveryKind) {
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_STATUS, 1, 2, 3), "Breaker 5");
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_ANALOG, 1, 2, 1), "Voltage");
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_ACCUM, 1, 2, 1), "Energy");
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_CHANNEL, 1, 0, 0), "Main channel");
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_CHANNEL, 0, 0, 0), "System");
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_RTU, 1, 5, 0), "Big RTU");
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_STATUS, 1, 5, 600), "Signal 600");
  EXPECT_EQ(NameOf(Handle_, TVX_KIND_STATUS, 1, 6, 10), "S10");
  char Buffer[16] = "x";
  EXPECT_GT(tvxGetObjectName(Handle_, TVX_KIND_STATUS, 1, 2, 3, Buffer, sizeof Buffer), 0);
  EXPECT_EQ(tvxGetObjectName(Handle_, TVX_KIND_STATUS, 1, 2, 99, Buffer, sizeof Buffer), 0);
  EXPECT_STREQ(Buffer, "");
  EXPECT_EQ(tvxGetObjectName(Handle_, TVX_KIND_STATUS, 0, 0, 0, Buffer, sizeof Buffer), 0);
}

TEST_F(TTelvexTest, NamesAreCutToTheBuffer) {
  char Buffer[8];
  std::memset(Buffer, 'x', sizeof Buffer);
  EXPECT_EQ(tvxGetObjectName(Handle_, TVX_KIND_STATUS, 1, 2, 3, Buffer, 6), 1);
  EXPECT_STREQ(Buffer, "Break");
  EXPECT_EQ(Buffer[6], 'x');  // nothing written beyond Size
}

TEST_F(TTelvexTest, AlarmNamesComeFromTheExtendedCall) {
  char Buffer[33] = {};
  EXPECT_EQ(tvxGetObjectNameEx(Handle_, TVX_KIND_ANALOG_ALARM, 1, 2, 1, 2, Buffer, 33), 1);
  EXPECT_STREQ(Buffer, "Low voltage");
  EXPECT_EQ(tvxGetObjectNameEx(Handle_, TVX_KIND_ANALOG_ALARM, 1, 2, 1, 3, Buffer, 33), 0);
  EXPECT_STREQ(Buffer, "");
}

TEST_F(TTelvexTest, PropertiesAreKeyValueLines) {
  char Buffer[1025] = {};
  ASSERT_EQ(tvxGetObjectProperties(Handle_, TVX_KIND_STATUS, 1, 2, 3, Buffer, sizeof Buffer), 1);
  EXPECT_STREQ(Buffer, "Name=Breaker 5\r\nReserve=1:2:17\r\nClass=4\r\nPlace=Bay 3");
  ASSERT_EQ(tvxGetObjectProperties(Handle_, TVX_KIND_STATUS, 1, 2, 4, Buffer, sizeof Buffer), 1);
  EXPECT_NE(std::strstr(Buffer, "\r\nReserving=3:4:5"), nullptr);
  EXPECT_EQ(std::strstr(Buffer, "Reserve="), nullptr);
  EXPECT_EQ(tvxGetObjectProperties(Handle_, TVX_KIND_STATUS, 1, 2, 99, Buffer, sizeof Buffer), 0);
}

TEST_F(TTelvexTest, PropertiesThatDoNotFitKeepWholeLines) {
  char Buffer[31];  // room for the first two lines (30 bytes) and the NUL
  ASSERT_EQ(tvxGetObjectProperties(Handle_, TVX_KIND_STATUS, 1, 2, 3, Buffer, sizeof Buffer), 1);
  EXPECT_STREQ(Buffer, "Name=Breaker 5\r\nReserve=1:2:17");
  ASSERT_EQ(tvxGetObjectProperties(Handle_, TVX_KIND_STATUS, 1, 2, 3, Buffer, 30), 1);
  EXPECT_STREQ(Buffer, "Name=Breaker 5");
  ASSERT_EQ(tvxGetObjectProperties(Handle_, TVX_KIND_STATUS, 1, 2, 3, Buffer, 5), 1);
  EXPECT_STREQ(Buffer, "");
}

TEST_F(TTelvexTest, EnumerationPagesThroughSixHundredPoints) {
  uint16_t Ids[255];
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 255, Ids, 1, 5, 0), 255);
  EXPECT_EQ(Ids[0], 1);
  EXPECT_EQ(Ids[254], 255);
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 255, Ids, 1, 5, 256), 255);
  EXPECT_EQ(Ids[254], 510);
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 255, Ids, 1, 5, 511), 90);
  EXPECT_EQ(Ids[89], 600);
  EXPECT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 255, Ids, 1, 5, 601), 0);
}

TEST_F(TTelvexTest, AFullPageIsFollowedByAnEmptyOne) {
  uint16_t Ids[255];
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 255, Ids, 1, 6, 0), 255);
  EXPECT_EQ(Ids[0], 10);
  EXPECT_EQ(Ids[254], 264);
  EXPECT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 255, Ids, 1, 6, 265), 0);
}

TEST_F(TTelvexTest, EnumerationOfChannelsRtusAndKinds) {
  uint16_t Ids[255];
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_CHANNEL, 255, Ids, 0, 0, 0), 2);
  EXPECT_EQ(Ids[0], 0);
  EXPECT_EQ(Ids[1], 1);
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_RTU, 255, Ids, 1, 0, 0), 3);
  EXPECT_EQ(Ids[2], 6);
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_ANALOG, 255, Ids, 1, 2, 0), 2);
  ASSERT_EQ(tvxEnumObjects(Handle_, TVX_KIND_ACCUM, 255, Ids, 1, 2, 0), 1);
  EXPECT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 255, Ids, 1, 99, 0), 0);
  EXPECT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 3, Ids, 1, 5, 0), 3);  // at most MaxCount
  EXPECT_EQ(tvxEnumObjects(Handle_, TVX_KIND_STATUS, 1000, Ids, 1, 5, 0), 255);  // never above 255
}

TEST_F(TTelvexTest, ClassDataComesAsOneBlock) {
  TStatusClassData* Block = tvxGetStatusClassData(Handle_, 1, 1, 2, 3);
  ASSERT_NE(Block, nullptr);
  EXPECT_STREQ(Block->Text,
               "ClassNumber=4\r\nClassName=Breaker\r\n0Txt=Open\r\n1Txt=Closed\r\nF2Name=Ready\r\nF20Txt=No\r\nF21Txt=Yes");
  EXPECT_EQ(Block->Length, std::strlen(Block->Text));
  tvxFreeMemory(Block);
  EXPECT_EQ(tvxGetStatusClassData(Handle_, 1, 1, 2, 4), nullptr);  // no class
  EXPECT_EQ(tvxGetStatusClassData(Handle_, 1, 1, 2, 99), nullptr);
  tvxFreeMemory(nullptr);
}

// ---- commands ----

TStatusValue ByHand(uint16_t Channel, uint16_t Rtu, uint16_t Point, int32_t Value) {
  return {Channel, Rtu, Point, TVX_SET_STATUS_BY_HAND, 8, TVX_VALUE_INT32, Value};
}

TStatusReading ReadStatus(int32_t Handle, TTvxAddress Address) {
  TStatusReading R{};
  tvxStatusByList(Handle, 1, &Address, &R);
  return R;
}

TEST_F(TTelvexTest, SetValuesChangesTheStateAndMarksIt) {
  const int32_t Before = tvxStatus(Handle_, 1, 2, 3);
  ASSERT_TRUE(Before == 0 || Before == 1);
  const TStatusValue Value = ByHand(1, 2, 3, Before ^ 1);
  ASSERT_EQ(tvxSetValues(Handle_, 1, &Value), 1);
  EXPECT_EQ(tvxStatus(Handle_, 1, 2, 3), Before ^ 1);
  const TStatusReading R = ReadStatus(Handle_, {1, 2, 3});
  EXPECT_EQ(R.State, Before ^ 1);
  EXPECT_EQ(R.Flags & TVX_FLAG_MANUAL, TVX_FLAG_MANUAL);
}

TEST_F(TTelvexTest, SetValuesRefusesBadRecordsAndChangesNothing) {
  const int32_t Before = tvxStatus(Handle_, 1, 2, 17);
  TStatusValue Values[2] = {ByHand(1, 2, 17, Before ^ 1), ByHand(1, 2, 99, 1)};
  EXPECT_EQ(tvxSetValues(Handle_, 2, Values), 0);  // the second point is unknown
  EXPECT_EQ(tvxStatus(Handle_, 1, 2, 17), Before);
  Values[1] = ByHand(1, 2, 17, 2);
  EXPECT_EQ(tvxSetValues(Handle_, 1, &Values[1]), 0);  // not 0 or 1
  Values[1] = ByHand(1, 2, 17, 1);
  Values[1].Operation = 24;
  EXPECT_EQ(tvxSetValues(Handle_, 1, &Values[1]), 0);
  EXPECT_EQ(tvxSetValues(Handle_, 0, Values), 0);
  EXPECT_EQ(tvxStatus(Handle_, 1, 2, 17), Before);
  EXPECT_EQ(tvxStatus(Handle_, 1, 2, 99), -1);
}

TEST_F(TTelvexTest, StatusFlagsAreSetAndCleared) {
  ASSERT_EQ(tvxSetStatusFlags(Handle_, 1, 2, 17, TVX_FLAG_UNACKED | TVX_FLAG_MANUAL), 1);
  EXPECT_EQ(ReadStatus(Handle_, {1, 2, 17}).Flags, TVX_FLAG_BLOCKED | TVX_FLAG_UNACKED | TVX_FLAG_MANUAL);
  ASSERT_EQ(tvxClrStatusFlags(Handle_, 1, 2, 17, TVX_FLAG_UNACKED), 1);
  EXPECT_EQ(ReadStatus(Handle_, {1, 2, 17}).Flags, TVX_FLAG_BLOCKED | TVX_FLAG_MANUAL);
  EXPECT_EQ(tvxClrStatusFlags(Handle_, 1, 2, 99, TVX_FLAG_UNACKED), 0);
  EXPECT_EQ(tvxSetStatusFlags(Handle_, 1, 2, 99, TVX_FLAG_UNACKED), 0);
}

TEST_F(TTelvexTest, SetAnalogHoldsFromThenOnInReadsAndRetrospective) {
  char Before[81] = {};
  ASSERT_EQ(tvxSystemTime(Handle_, Before, 0), 1);
  TTvxDateTime Then;
  ASSERT_TRUE(ParseTvxTime(Before, 81, Then));
  ASSERT_EQ(tvxSetAnalog(Handle_, 1, 2, 1, 123.25f, 0), 1);
  ASSERT_EQ(tvxSetAnalogFlags(Handle_, 1, 2, 1, TVX_FLAG_MANUAL), 1);
  const TTvxAddress List[] = {{1, 2, 1}};
  TAnalogReading Live[1];
  ASSERT_EQ(tvxAnalogByList(Handle_, 1, List, Live, 0, 0), 1);
  EXPECT_FLOAT_EQ(Live[0].Value, 123.25f);
  EXPECT_EQ(Live[0].Flags & TVX_FLAG_MANUAL, TVX_FLAG_MANUAL);
  EXPECT_EQ(Live[0].Flags & TVX_FLAG_ALARM1, TVX_FLAG_ALARM1);  // above the 115 limit
  EXPECT_EQ(Live[0].AlarmState, 1);
  // The hour before keeps its own values; the second after the change has
  // the new one (once that second has passed).
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  const int64_t Second = TvxSecondsOf(Then);
  TRetroReading Samples[2];
  ASSERT_EQ(tvxTakeRetroTit(Handle_, 1, 2, 1, static_cast<int32_t>(Second - 3600), 0, 2, 3602, Samples), 1);
  EXPECT_NE(Samples[0].Value, 123.25f);
  EXPECT_FLOAT_EQ(Samples[1].Value, 123.25f);
  EXPECT_EQ(tvxSetAnalog(Handle_, 1, 2, 99, 1.0f, 0), 0);
}

}  // namespace
