// The network front end below the running gateway: log-safe texts, the
// query table and envelope, gathering a query from its pieces, sending and
// closing, and the white list file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/UCommon.h"
#include "common/ULog.h"
#include "json/UJson.h"
#include "net/UDispatch.h"
#include "net/UListen.h"
#include "net/ULogSafe.h"
#include "net/UTransfer.h"
#include "platform/Sockets.h"

namespace {

using namespace std::chrono_literals;

std::mutex LoggedLock;
std::vector<std::string> Logged;

std::vector<std::string> TakeLogged() {
  std::lock_guard<std::mutex> Hold(LoggedLock);
  return std::exchange(Logged, {});
}

}  // namespace

// The immediate log output of this test program: remembered lines.
void LogImmediate(const std::string& Text, int /*Level*/) {
  std::lock_guard<std::mutex> Hold(LoggedLock);
  Logged.push_back(Text);
}

namespace {

// ---- Log-safe texts ------------------------------------------------------

TEST(LogSafeText, EscapesLineBreaksSoThatNoLineCanBeForged) {
  std::string Text = LogSafeText("{\"query\":\"test\"}\r\n[#1] 127.0.0.1 disconnected");
  EXPECT_EQ(Text.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(Text, "{\"query\":\"test\"}\\r\\n[#1] 127.0.0.1 disconnected");
}

TEST(LogSafeText, EscapesEveryOtherControlCharacterInHexadecimal) {
  EXPECT_EQ(LogSafeText(std::string("a\0b", 3)), "a\\x00b");
  EXPECT_EQ(LogSafeText("\t\x1B[2J\x7F"), "\\t\\x1B[2J\\x7F");
}

TEST(LogSafeText, KeepsPrintableAndCyrillicBytesAndBackslashes) {
  std::string Text = "{'id':'\xCF\xF0\xE8\xE2\xE5\xF2 \\u0041 \xA8\x98'}";
  EXPECT_EQ(LogSafeText(Text), Text);
}

// ---- Query table and envelope -------------------------------------------

TEST(QueryTable, FindsTheTestQueryByItsLowerCaseType) {
  EXPECT_NE(FindQueryHandler("test"), nullptr);
  EXPECT_EQ(FindQueryHandler("TEST"), nullptr);
  EXPECT_EQ(FindQueryHandler("test "), nullptr);
  EXPECT_EQ(FindQueryHandler(""), nullptr);
  EXPECT_EQ(FindQueryHandler("no-such-query"), nullptr);
}

std::string ErrorOf(const TJsonPtr& Query) {
  try {
    DispatchQuery(Query);
  } catch (const EQueryError& Error) {
    return Error.what();
  }
  return "(no error)";
}

TEST(DispatchQuery, RefusesEveryQueryWhileTheGatewayShutsDown) {
  ShutdownRequested = true;
  std::string Message = ErrorOf(ParseJson(u"{\"query\":\"test\"}"));
  ShutdownRequested = false;
  EXPECT_EQ(Message, "Gate is closing now");
}

TEST(DispatchQuery, RefusesEveryQueryWithoutTheTelemetryServer) {
  // No connection has been made in this program.
  EXPECT_EQ(ErrorOf(ParseJson(u"{\"query\":\"test\"}")), "Server is disconnected");
  EXPECT_EQ(ErrorOf(ParseJson(u"[1,2]")), "Server is disconnected");
}

// ---- Connections over the loopback interface ------------------------------

class ConnectionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(StartSockets()); }
  static void TearDownTestSuite() { CleanupSockets(); }

  void SetUp() override {
    TSocketGuard Listener(SocketCreate());
    uint16_t Port = 30000 + static_cast<uint16_t>(std::chrono::steady_clock::now().time_since_epoch().count() % 20000);
    while (!SocketBind(Listener.Get(), Port)) ASSERT_LT(++Port, 65000);
    ASSERT_TRUE(SocketListen(Listener.Get(), 5));
    Client_.Reset(SocketCreate());
    ASSERT_TRUE(SocketConnect(Client_.Get(), "127.0.0.1", Port));
    Served_.Reset(SocketAccept(Listener.Get()));
    ASSERT_NE(Served_.Get(), InvalidSocket);
    ASSERT_TRUE(SocketSetTimeouts(Served_.Get(), 5000));
    ASSERT_TRUE(SocketSetTimeouts(Client_.Get(), 5000));
  }

  void ClientSends(const std::string& Bytes) {
    ASSERT_EQ(SocketSend(Client_.Get(), Bytes.data(), static_cast<int>(Bytes.size())), static_cast<int>(Bytes.size()));
  }

  // Everything the client reads until end of stream; a reset or another
  // failure adds "<failed>".
  std::string ClientReadsToEnd() {
    std::string Bytes;
    char Buffer[65536];
    int Count;
    while ((Count = SocketReceive(Client_.Get(), Buffer, sizeof Buffer)) > 0) Bytes.append(Buffer, Count);
    return Count == 0 ? Bytes : Bytes + "<failed>";
  }

  std::string Receive(std::size_t Limit, int PieceSize, std::chrono::milliseconds Timeout = 5000ms) {
    return ReceiveQuery(Served_.Get(), Limit, PieceSize, Timeout, [this](std::string_view Bytes) {
      ++Checks_;
      LastChecked_ = Bytes;
      return static_cast<bool>(ParseJson(std::u16string(Bytes.begin(), Bytes.end())));
    });
  }

  TSocketGuard Client_;
  TSocketGuard Served_;
  int Checks_ = 0;
  std::string LastChecked_;
};

TEST_F(ConnectionTest, AQueryThatArrivesWholeIsTakenWithOneReceive) {
  ClientSends("{\"query\":\"test\"}");
  EXPECT_EQ(Receive(8193, 8192), "{\"query\":\"test\"}");
  EXPECT_EQ(Checks_, 1);
}

TEST_F(ConnectionTest, AQueryReadInPiecesIsJoinedUntilItIsComplete) {
  ClientSends("{\"query\":\"test\",\"id\":\"abc\"}");
  // Receives of three bytes force the query to come in pieces.
  EXPECT_EQ(Receive(8193, 3), "{\"query\":\"test\",\"id\":\"abc\"}");
  EXPECT_GT(Checks_, 1);
  // The session dispatches what the last check made of the bytes.
  EXPECT_EQ(LastChecked_, "{\"query\":\"test\",\"id\":\"abc\"}");
}

TEST_F(ConnectionTest, AQuerySentInTwoPiecesIsJoined) {
  auto Sender = std::async(std::launch::async, [this] {
    ClientSends("{\"query\":");
    std::this_thread::sleep_for(30ms);
    ClientSends("\"test\"}");
  });
  std::string Bytes = Receive(8193, 8192);
  Sender.get();
  EXPECT_EQ(Bytes, "{\"query\":\"test\"}");
}

TEST_F(ConnectionTest, GatheringStopsOneByteAfterTheLongestQuery) {
  ClientSends("{\"query\":\"" + std::string(500, 'x'));
  EXPECT_EQ(Receive(101, 8192).size(), 101u);
}

TEST_F(ConnectionTest, GatheringEndsWhenTheClientEndsItsSending) {
  ClientSends("{\"query\":\"te");
  SocketShutdownSend(Client_.Get());
  EXPECT_EQ(Receive(8193, 8192), "{\"query\":\"te");
  EXPECT_EQ(LastChecked_, "{\"query\":\"te");
}

TEST_F(ConnectionTest, NoBytesFromAClientThatClosesGivesAnEmptyQuery) {
  Client_.Close();
  EXPECT_EQ(Receive(8193, 8192), "");
}

TEST_F(ConnectionTest, NoBytesWithinTheTimeOutGivesAnEmptyQuery) {
  ASSERT_TRUE(SocketSetTimeouts(Served_.Get(), 200));
  EXPECT_EQ(Receive(8193, 8192, 200ms), "");
}

TEST_F(ConnectionTest, SendAllDeliversAnAnswerLargerThanTheSocketBuffers) {
  std::string Answer;
  for (int Index = 0; Answer.size() < (8u << 20); ++Index) Answer += std::to_string(Index) + ",";
  auto Reader = std::async(std::launch::async, [this] { return ClientReadsToEnd(); });
  EXPECT_TRUE(SendAll(Served_.Get(), Answer, 30000ms));
  CloseAfterAnswer(Served_, 5000ms);
  EXPECT_EQ(Reader.get(), Answer);
}

TEST_F(ConnectionTest, SendAllFailsWhenThePeerHasGone) {
  Client_.Close();
  std::string Answer(1 << 20, 'x');
  bool Sent = true;
  for (int Attempt = 0; Attempt < 100 && Sent; ++Attempt) Sent = SendAll(Served_.Get(), Answer, 5000ms);
  EXPECT_FALSE(Sent);
}

TEST_F(ConnectionTest, UnreadBytesOfTheClientDoNotDestroyTheAnswer) {
  // The client sends far more than is read, then reads the answer.
  ClientSends("{\"query\":\"" + std::string(200000, 'x'));
  ASSERT_EQ(Receive(101, 8192).size(), 101u);
  std::string Answer = "{\"error\":\"Query too long\"}";
  ASSERT_TRUE(SendAll(Served_.Get(), Answer, 5000ms));
  CloseAfterAnswer(Served_, 5000ms);
  EXPECT_EQ(Served_.Get(), InvalidSocket);
  EXPECT_EQ(ClientReadsToEnd(), Answer);
}

TEST_F(ConnectionTest, ClosingWithoutLingerStillDropsTheBytesAlreadyThere) {
  ClientSends("{\"query\":\"test\"} and more");
  ASSERT_EQ(Receive(17, 8192).size(), 17u);
  std::string Answer = "{\"ok\":\"1\"}";
  ASSERT_TRUE(SendAll(Served_.Get(), Answer, 5000ms));
  CloseAfterAnswer(Served_, 0ms);
  EXPECT_EQ(ClientReadsToEnd(), Answer);
}

// ---- Accept loop ------------------------------------------------------------

TEST(ListenThread, EndsWhenAskedWhileEveryAcceptFails) {
  // Accepting on no socket fails at once, every time.
  TListenThread Listener(InvalidSocket);
  Listener.Start();
  std::this_thread::sleep_for(300ms);
  Listener.Terminate();
  // Destroying joins the thread: a loop that missed the request would hang here.
}

// ---- White list file ------------------------------------------------------

// Runs each test in an empty working folder of its own.
class WhiteListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Previous_ = std::filesystem::current_path();
    Folder_ = std::filesystem::temp_directory_path() /
              ("vorlane-whitelist-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(Folder_);
    std::filesystem::current_path(Folder_);
    TakeLogged();
  }
  void TearDown() override {
    std::filesystem::current_path(Previous_);
    std::filesystem::remove_all(Folder_);
  }

  void WriteFile(const std::string& Bytes) {
    std::ofstream Out("white_list.txt", std::ios::binary);
    Out << Bytes;
  }

  // Loads the white list and gives the lines it logged.
  std::vector<std::string> Load() {
    List_.LoadWhiteList();
    return TakeLogged();
  }

  TListenThread List_{InvalidSocket};
  std::filesystem::path Previous_;
  std::filesystem::path Folder_;
};

std::string Address(int Index) { return "10.0.0." + std::to_string(Index); }

std::string Addresses(int Count, const std::string& LineEnd) {
  std::string Bytes;
  for (int Index = 1; Index <= Count; ++Index) Bytes += Address(Index) + LineEnd;
  return Bytes;
}

TEST_F(WhiteListTest, WithoutTheFileEveryClientIsAdmitted) {
  EXPECT_EQ(Load(), (std::vector<std::string>{"Attempting to load white list from file white_list.txt ...",
                                              "White list file does not exist. Accepting all clients."}));
  EXPECT_TRUE(List_.Admits("127.0.0.1"));
}

TEST_F(WhiteListTest, OnlyTheListedAddressesAreAdmitted) {
  WriteFile("127.0.0.1\r\n\n192.168.1.20\n");
  EXPECT_EQ(Load(), (std::vector<std::string>{"Attempting to load white list from file white_list.txt ...",
                                              "White list file found, only accepting following clients: ",
                                              "- 127.0.0.1", "- 192.168.1.20"}));
  EXPECT_TRUE(List_.Admits("127.0.0.1"));
  EXPECT_TRUE(List_.Admits("192.168.1.20"));
  EXPECT_FALSE(List_.Admits("192.168.1.2"));
}

TEST_F(WhiteListTest, AddressesAreTakenWholeWithoutTrimming) {
  WriteFile("127.0.0.1 \n010.000.000.001\n");
  Load();
  EXPECT_FALSE(List_.Admits("127.0.0.1"));
  EXPECT_FALSE(List_.Admits("10.0.0.1"));
  EXPECT_TRUE(List_.Admits("127.0.0.1 "));
}

TEST_F(WhiteListTest, ALastLineWithoutLineFeedCounts) {
  WriteFile("10.0.0.1\n10.0.0.2");
  Load();
  EXPECT_TRUE(List_.Admits("10.0.0.2"));
}

TEST_F(WhiteListTest, SixteenAddressesAreTakenAndTheRestIsNamedTooMany) {
  WriteFile(Addresses(17, "\n"));
  std::vector<std::string> Lines = Load();
  ASSERT_EQ(Lines.size(), 2u + 16u + 1u);
  EXPECT_EQ(Lines.back(), "Too many addresses in white list file, only loading first 16 records.");
  EXPECT_TRUE(List_.Admits(Address(16)));
  EXPECT_FALSE(List_.Admits(Address(17)));
}

TEST_F(WhiteListTest, SixteenAddressesFollowedByAnEmptyLineAreNamedTooMany) {
  WriteFile(Addresses(16, "\r\n") + "\r\n");
  EXPECT_EQ(Load().back(), "Too many addresses in white list file, only loading first 16 records.");
  EXPECT_TRUE(List_.Admits(Address(16)));
}

TEST_F(WhiteListTest, SixteenAddressesAtTheEndOfTheFileAreNotTooMany) {
  WriteFile(Addresses(16, "\n"));
  EXPECT_EQ(Load().back(), "- " + Address(16));
}

TEST_F(WhiteListTest, AFileOfEmptyLinesAdmitsEveryClient) {
  WriteFile("\n\r\n\n");
  EXPECT_EQ(Load().back(), "White list file was empty. Accepting all clients.");
  EXPECT_TRUE(List_.Admits("127.0.0.1"));
}

TEST_F(WhiteListTest, AnEmptyFileAdmitsEveryClient) {
  WriteFile("");
  EXPECT_EQ(Load().back(), "White list file was empty. Accepting all clients.");
  EXPECT_TRUE(List_.Admits("8.8.8.8"));
}

TEST_F(WhiteListTest, AFileThatCannotBeReadAdmitsEveryClient) {
  std::filesystem::create_directory("white_list.txt");
  EXPECT_EQ(Load().back(), "Error while reading white list file. Accepting all clients.");
  EXPECT_TRUE(List_.Admits("8.8.8.8"));
}

TEST_F(WhiteListTest, ControlCharactersOfALineAreLoggedEscaped) {
  WriteFile("10.0.0.1\r10.0.0.2\n");
  std::vector<std::string> Lines = Load();
  EXPECT_EQ(Lines.back(), "- 10.0.0.1\\r10.0.0.2");
  EXPECT_FALSE(List_.Admits("10.0.0.1"));
}

}  // namespace
