// The sockets layer against real loopback connections.
#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Sockets started for the whole program; a listening socket on a free
// loopback port and a client connected to it.
class SocketsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(StartSockets()); }
  static void TearDownTestSuite() { CleanupSockets(); }

  void SetUp() override {
    ASSERT_NE(Listener_.Get(), InvalidSocket);
    Port_ = 21000 + static_cast<uint16_t>(std::chrono::steady_clock::now().time_since_epoch().count() % 20000);
    while (!SocketBind(Listener_.Get(), Port_)) ASSERT_LT(++Port_, 65000);
    ASSERT_TRUE(SocketListen(Listener_.Get(), 5));
  }

  // A client connection, then the gateway's side of it (Accept).
  TSocketHandle ConnectClient() {
    TSocketGuard Client(SocketCreate());
    EXPECT_TRUE(SocketConnect(Client.Get(), "127.0.0.1", Port_));
    return Client.Release();
  }
  TSocketHandle Accept() {
    const TSocketHandle Served = SocketAccept(Listener_.Get());
    EXPECT_NE(Served, InvalidSocket);
    return Served;
  }

  TSocketGuard Listener_{SocketCreate()};
  uint16_t Port_ = 0;
};

TEST_F(SocketsTest, BindFailsWhileAnotherSocketListensOnThePort) {
  TSocketGuard Second(SocketCreate());
  EXPECT_FALSE(SocketBind(Second.Get(), Port_));
}

TEST_F(SocketsTest, PeerAddressIsDottedDecimal) {
  TSocketGuard Client(ConnectClient());
  TSocketGuard Served(Accept());
  std::string Text = "unchanged";
  ASSERT_TRUE(SocketPeerAddress(Served.Get(), Text));
  EXPECT_EQ(Text, "127.0.0.1");
}

TEST_F(SocketsTest, PeerAddressOfAnUnconnectedSocketLeavesTheTextAlone) {
  TSocketGuard Lone(SocketCreate());
  std::string Text = "10.1.2.3";
  EXPECT_FALSE(SocketPeerAddress(Lone.Get(), Text));
  EXPECT_FALSE(SocketPeerAddress(InvalidSocket, Text));
  EXPECT_EQ(Text, "10.1.2.3");
}

TEST_F(SocketsTest, BytesTravelBothWaysAndCloseGivesEndOfStream) {
  TSocketGuard Client(ConnectClient());
  TSocketGuard Served(Accept());
  ASSERT_EQ(SocketSend(Client.Get(), "ping", 4), 4);
  char Buffer[16];
  ASSERT_EQ(SocketReceive(Served.Get(), Buffer, sizeof Buffer), 4);
  EXPECT_EQ(std::string(Buffer, 4), "ping");
  ASSERT_EQ(SocketSend(Served.Get(), "pong", 4), 4);
  SocketShutdownSend(Served.Get());
  ASSERT_EQ(SocketReceive(Client.Get(), Buffer, sizeof Buffer), 4);
  EXPECT_EQ(SocketReceive(Client.Get(), Buffer, sizeof Buffer), 0);
}

TEST_F(SocketsTest, ReceiveBufferSizeIsKnown) {
  TSocketGuard Client(ConnectClient());
  TSocketGuard Served(Accept());
  EXPECT_GT(SocketReceiveBufferSize(Served.Get()), 0);
}

TEST_F(SocketsTest, ReceiveEndsWithFailureWhenTheTimeOutPasses) {
  TSocketGuard Client(ConnectClient());
  TSocketGuard Served(Accept());
  ASSERT_TRUE(SocketSetTimeouts(Served.Get(), 100));
  char Buffer[16];
  EXPECT_EQ(SocketReceive(Served.Get(), Buffer, sizeof Buffer), -1);
}

TEST_F(SocketsTest, WaitReadableTellsWhetherBytesAreThere) {
  TSocketGuard Client(ConnectClient());
  TSocketGuard Served(Accept());
  EXPECT_EQ(SocketWaitReadable(Served.Get(), 50), 0);
  ASSERT_EQ(SocketSend(Client.Get(), "x", 1), 1);
  EXPECT_EQ(SocketWaitReadable(Served.Get(), 5000), 1);
  Client.Close();
  char Buffer[4];
  ASSERT_EQ(SocketReceive(Served.Get(), Buffer, sizeof Buffer), 1);
  // End of stream counts as readable.
  EXPECT_EQ(SocketWaitReadable(Served.Get(), 5000), 1);
  EXPECT_EQ(SocketReceive(Served.Get(), Buffer, sizeof Buffer), 0);
}

TEST_F(SocketsTest, SendToAPeerThatHasGoneFailsWithoutEndingTheProcess) {
  TSocketGuard Client(ConnectClient());
  TSocketGuard Served(Accept());
  Client.Close();
  std::string Block(65536, 'x');
  int Result = 0;
  // The first sends may still be taken before the peer's reset arrives.
  for (int Attempt = 0; Attempt < 200 && Result >= 0; ++Attempt) {
    Result = SocketSend(Served.Get(), Block.data(), static_cast<int>(Block.size()));
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(Result, -1);
}

TEST_F(SocketsTest, ClosingTheListeningSocketWakesABlockedAccept) {
  // The accepting thread has its own copy of the handle, as the listener does.
  TSocketHandle Listening = Listener_.Get();
  auto Accepted = std::async(std::launch::async, [Listening] { return SocketAccept(Listening); });
  // Give the accept time to block; the result must not depend on it.
  std::this_thread::sleep_for(100ms);
  Listener_.Close();
  ASSERT_EQ(Accepted.wait_for(30s), std::future_status::ready);
  EXPECT_EQ(Accepted.get(), InvalidSocket);
}

TEST_F(SocketsTest, ClosingInvalidSocketDoesNothing) {
  SocketClose(InvalidSocket);
  TSocketGuard Guard;
  Guard.Close();
  EXPECT_EQ(Guard.Get(), InvalidSocket);
}

TEST_F(SocketsTest, ConnectRefusesAnAddressThatIsNotDottedDecimal) {
  TSocketGuard Client(SocketCreate());
  EXPECT_FALSE(SocketConnect(Client.Get(), "localhost", Port_));
}

}  // namespace
