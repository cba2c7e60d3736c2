// The server connection without a server: what is reported to the trace
// service and when. The live connection, its loss and the reconnection are
// covered end to end (tests/e2e/test_supervision.py).
//
// halvern appends a line per call to the file named by $HALVERN_TRACE,
// which CTest sets for this program.
#include "telemetry/UServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/UCommon.h"

namespace {

class ServerTrace : public testing::Test {
 protected:
  void SetUp() override {
    const char* Path = std::getenv("HALVERN_TRACE");
    if (!Path || !*Path) GTEST_SKIP() << "HALVERN_TRACE is not set";
    TracePath = Path;
    std::remove(TracePath.c_str());
    Config.Pipe = "vorlane-unit-no-server";
  }
  void TearDown() override { Config = TConfig(); }

  std::vector<std::string> States() {
    std::vector<std::string> Found;
    std::ifstream File(TracePath);
    for (std::string Line; std::getline(File, Line);)
      if (Line.rfind("state ", 0) == 0) Found.push_back(Line);
    return Found;
  }

  std::string TracePath;
};

// One test, because the connection is process-wide: its steps run in order.
TEST_F(ServerTrace, WithoutAServerEachStepReportsAsItShould) {
  // Before any attempt: not connected, nothing reported.
  EXPECT_FALSE(IsServerConnected());
  EXPECT_TRUE(States().empty());

  // A failed attempt reports state 2 and leaves no handle.
  EXPECT_FALSE(ConnectServer());
  EXPECT_LE(ServerHandle.load(), 0);
  EXPECT_EQ(States(), std::vector<std::string>{"state 2"});

  // Testing again reports nothing more.
  EXPECT_FALSE(IsServerConnected());
  EXPECT_EQ(States().size(), 1u);

  // Disconnecting without a connection still reports state 2.
  DisconnectServer();
  EXPECT_EQ(States(), (std::vector<std::string>{"state 2", "state 2"}));
}

}  // namespace
