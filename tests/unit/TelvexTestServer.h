// TelvexTestServer: telvexd's simulator served in the test process on a
// pipe of its own, for the tests of the telvex library: the library talks
// to it through the real transport; the tests drive its admin interface
// directly. Created and stopped by the test's main thread.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>

#include "UAcceptor.h"
#include "UAdmin.h"
#include "UDataset.h"
#include "UPipeService.h"
#include "USimulator.h"
#include "json/UJson.h"
#include "protocol/UTvxTime.h"
#include "telvex.h"

// A small network: channel 1 with a classed breaker (reserve reference,
// extended signature, state changes every minute), an alarm signal, analog
// points with alarms and decimals, an accumulator; RTU 1.5 with 600 status
// points and RTU 1.6 with 255.
inline const char* const TestDataset = R"({
  "seed": 77, "historyHours": 6, "firstEventNumber": 7000000001,
  "classes": [ { "number": 4, "name": "Breaker", "0Txt": "Open", "1Txt": "Closed",
                 "fields": [ { "number": 2, "name": "Ready", "0Txt": "No", "1Txt": "Yes" } ] } ],
  "channels": [
    { "number": 1, "name": "Main channel",
      "rtus": [
        { "number": 2, "name": "Substation North", "timeText": "ms", "sourceTimes": true,
          "status": [
            { "point": 3, "name": "Breaker 5", "class": 4, "state": 1, "period": 60, "signature": "extended",
              "faults": true, "reserve": "1:2:17", "properties": { "Place": "Bay 3" } },
            { "point": 4, "name": "Gas alarm", "alarm": true, "period": 90, "signature": "reserve", "reserving": "3:4:5" },
            { "point": 17, "name": "Spare", "flags": 2 }
          ],
          "analog": [
            { "point": 1, "name": "Voltage", "units": "kV", "decimals": 2, "base": 110, "amplitude": 8,
              "period": 600, "noise": 0.5,
              "alarms": [ { "number": 1, "name": "High voltage", "limit": 115, "importance": 3 },
                          { "number": 2, "name": "Low voltage", "limit": 104, "when": "below", "importance": 2 } ] },
            { "point": 2, "name": "Current", "units": "A", "unitsByte7": 32, "base": 50 }
          ],
          "accum": [ { "point": 1, "name": "Energy", "units": "MWh", "decimals": 3, "start": 100, "rate": 36 } ]
        },
        { "number": 5, "name": "Big RTU", "status": [ { "count": 600, "name": "Signal %d" } ] },
        { "number": 6, "name": "Full page RTU", "status": [ { "count": 255, "from": 10, "name": "S%d" } ] }
      ] },
    { "number": 0, "name": "System", "rtus": [ { "number": 1, "name": "Control room" } ] }
  ]
})";

class TTestServer {
 public:
  explicit TTestServer(const std::string& Dataset = TestDataset) : Sim(ParseDataset(Dataset)), Pipe(NewPipeName()) {
    const int64_t Now = LocalNowMs();
    std::lock_guard<std::mutex> Guard(Sim.Lock);
    Sim.GeneratedMs = Now - static_cast<int64_t>(Sim.Model.HistoryHours) * 3600000;
    Sim.GenerateUntil(Now);
  }
  ~TTestServer() { Stop(); }

  void Start() {
    std::string Error;
    auto Listener = TvxListenPipe(Pipe, Error);
    ASSERT_TRUE(Listener) << Error;
    Acceptor = std::make_unique<TAcceptor>(
        std::move(Listener), [this](TTvxStream& Stream) { ServePipeConnection(Sim, Stream); },
        [this] { return MonotonicMs() >= Sim.RefuseUntilMs.load(); });
    Acceptor->Start();
  }

  void Stop() {
    if (Acceptor) Acceptor->Stop();
    Acceptor.reset();
  }

  int32_t Connect() const { return tvxConnect(".", Pipe.c_str(), 0, 0, 0); }

  // One admin request; the answer parsed.
  TJsonPtr Admin(const std::string& Request) {
    const std::string Answer = AdminAnswer(Sim, *Acceptor, Request);
    std::u16string Wide(Answer.begin(), Answer.end());  // the tests' requests and answers are ASCII
    return ParseJson(Wide);
  }
  bool AdminOk(const std::string& Request) { return AsInteger(GetField(Admin(Request), u"ok")) == 1; }

  TSimulator Sim;
  std::string Pipe;
  std::unique_ptr<TAcceptor> Acceptor;

 private:
  static std::string NewPipeName() {
    static std::atomic<int> Count{0};
    static const unsigned Run = std::random_device{}();
    return "tvxtest" + std::to_string(Run) + "_" + std::to_string(++Count);
  }
};

// A fixture with a started server and one connection to it.
class TTelvexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Server_.Start();
    Handle_ = Server_.Connect();
    ASSERT_GT(Handle_, 0);
  }
  void TearDown() override {
    tvxDisconnect(Handle_);
    Server_.Stop();
  }

  TTestServer Server_;
  int32_t Handle_ = 0;
};

inline std::string NameOf(int32_t Handle, uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point) {
  char Buffer[129] = {};
  tvxGetObjectName(Handle, Kind, Channel, Rtu, Point, Buffer, sizeof Buffer);
  return Buffer;
}
