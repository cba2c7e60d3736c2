// halvern stand-in: the trace file, the process monitor's events (and the
// stop request that hlvctl makes), and the host printers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "halvern.h"
#include "platform/HostEvent.h"
#include "platform/Process.h"

namespace {

const std::string TracePath = "halvern-trace-" + std::to_string(CurrentProcessId()) + ".txt";

void NameTraceFile() {
  static std::string entry = "HALVERN_TRACE=" + TracePath;
  putenv(entry.data());
}

// Names the trace file for the whole test program, before any halvern call.
class TTraceEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::remove(TracePath.c_str());
    NameTraceFile();
  }
  void TearDown() override { std::remove(TracePath.c_str()); }
};
[[maybe_unused]] ::testing::Environment* const TraceEnvironment =
    ::testing::AddGlobalTestEnvironment(new TTraceEnvironment);

std::vector<std::string> TraceLines() {
  std::ifstream file(TracePath, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

// The lines appended since Mark lines were there.
std::vector<std::string> TraceLinesSince(size_t Mark) {
  std::vector<std::string> lines = TraceLines();
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(Mark, lines.size())));
  return lines;
}

// Lines that halvern writes from its own threads appear a little later;
// the deadline only keeps a broken build from hanging.
bool TraceEventuallyHas(const std::string& Line) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::vector<std::string> lines = TraceLines();
    if (std::find(lines.begin(), lines.end(), Line) != lines.end()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

struct TEvents {
  HLVHANDLE Start = nullptr;
  HLVHANDLE Stop = nullptr;
  int Result = 0;
};

TEvents Register() {
  const char* argv[] = {"vorlane", "/port=1"};
  TEvents events;
  events.Result = hlvPmonLocalRegisterProcess(2, argv, &events.Start, &events.Stop);
  return events;
}

// Standard error of Body, with the \r of text-mode streams dropped.
template <typename TBody>
std::string CapturedStderr(TBody Body) {
  ::testing::internal::CaptureStderr();
  Body();
  std::string text = ::testing::internal::GetCapturedStderr();
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// ---- trace service ---------------------------------------------------------

TEST(TraceService, AllocReportsProcessNameAndType) {
  const size_t mark = TraceLines().size();
  unsigned char slot[8] = {};
  EXPECT_EQ(strac_AllocServer(slot, 4242, 0, "<Vorlane>", "Vorlane"), 1);
  EXPECT_EQ(TraceLinesSince(mark), std::vector<std::string>{"alloc pid=4242 trace=<Vorlane> type=Vorlane"});
}

TEST(TraceService, StatesAreTracedInTheOrderReported) {
  unsigned char slot[8] = {};
  strac_AllocServer(slot, 7, 0, "<Vorlane>", "Vorlane");
  const size_t mark = TraceLines().size();
  for (const int state : {0, 1, 2, 1, 2}) EXPECT_EQ(strac_SetServerState(slot, state), 1);
  EXPECT_EQ(TraceLinesSince(mark), (std::vector<std::string>{"state 0", "state 1", "state 2", "state 1", "state 2"}));
}

TEST(TraceService, ControlCharactersCannotBreakALine) {
  const size_t mark = TraceLines().size();
  unsigned char slot[8] = {};
  strac_AllocServer(slot, 1, 0, "a\nstate 1", "b\r\tc");
  EXPECT_EQ(TraceLinesSince(mark), std::vector<std::string>{"alloc pid=1 trace=a?state 1 type=b??c"});
}

TEST(TraceService, NullSlotIsRefusedAndNotTraced) {
  const size_t mark = TraceLines().size();
  EXPECT_EQ(strac_AllocServer(nullptr, 1, 0, "x", "y"), 0);
  EXPECT_EQ(strac_SetServerState(nullptr, 1), 0);
  EXPECT_TRUE(TraceLinesSince(mark).empty());
}

TEST(TraceService, NullNamesAreTracedEmpty) {
  const size_t mark = TraceLines().size();
  unsigned char slot[8] = {};
  EXPECT_EQ(strac_AllocServer(slot, 3, 0, nullptr, nullptr), 1);
  EXPECT_EQ(TraceLinesSince(mark), std::vector<std::string>{"alloc pid=3 trace= type="});
}

TEST(TraceService, LinesOfConcurrentCallersStayWhole) {
  unsigned char slot[8] = {};
  strac_AllocServer(slot, 9, 0, "<Vorlane>", "Vorlane");
  const size_t mark = TraceLines().size();
  const int perThread = 200;
  std::vector<std::thread> threads;
  for (int state = 0; state < 3; ++state) {
    threads.emplace_back([&slot, state] {
      for (int i = 0; i < perThread; ++i) strac_SetServerState(slot, state);
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::vector<std::string> lines = TraceLinesSince(mark);
  ASSERT_EQ(lines.size(), 3u * perThread);
  for (const char* state : {"state 0", "state 1", "state 2"}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), state), perThread) << state;
  }
}

TEST(TraceService, NothingIsWrittenWithoutATraceFile) {
  const size_t mark = TraceLines().size();
  static char off[] = "HALVERN_TRACE=";
  putenv(off);
  unsigned char slot[8] = {};
  strac_AllocServer(slot, 5, 0, "x", "y");
  strac_SetServerState(slot, 1);
  NameTraceFile();
  EXPECT_EQ(TraceLines().size(), mark);
}

// ---- process monitor -------------------------------------------------------

TEST(ProcessMonitor, RegistrationTracesTheCommandLine) {
  const size_t mark = TraceLines().size();
  const char* argv[] = {"C:\\vorlane.exe", "/port=1000", nullptr, "/pipe=a b"};
  HLVHANDLE start = nullptr, stop = nullptr;
  hlvPmonLocalRegisterProcess(4, argv, &start, &stop);
  EXPECT_EQ(TraceLinesSince(mark),
            std::vector<std::string>{"register argc=4 argv=C:\\vorlane.exe /port=1000  /pipe=a b"});
}

TEST(ProcessMonitor, HandsOutTwoDistinctEventsAndTheSameOnesAgain) {
  const TEvents first = Register();
  EXPECT_EQ(first.Result, 1);
  EXPECT_NE(first.Start, nullptr);
  EXPECT_NE(first.Stop, nullptr);
  EXPECT_NE(first.Start, first.Stop);
  const TEvents second = Register();
  EXPECT_EQ(second.Start, first.Start);
  EXPECT_EQ(second.Stop, first.Stop);
}

TEST(ProcessMonitor, MissingHandleAddressesAreSkipped) {
  const char* argv[] = {"vorlane"};
  HLVHANDLE stop = nullptr;
  EXPECT_EQ(hlvPmonLocalRegisterProcess(1, argv, nullptr, &stop), 1);
  EXPECT_NE(stop, nullptr);
}

TEST(ProcessMonitor, SignalledStartEventIsTracedOnce) {
  const TEvents events = Register();
  ASSERT_TRUE(SignalHostEvent(events.Start));
  ASSERT_TRUE(TraceEventuallyHas("start-event signalled"));
  // Signalling again changes nothing: the event stays signalled.
  ASSERT_TRUE(SignalHostEvent(events.Start));
  EXPECT_EQ(WaitHostEvent(events.Start, 0), THostWaitResult::Signalled);
  const std::vector<std::string> lines = TraceLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "start-event signalled"), 1);
}

// hlvctl stop PID makes this same call; here the process stops itself.
TEST(ProcessMonitor, StopRequestSignalsTheStopEventWithoutEndingTheProcess) {
  const TEvents events = Register();
  char message[128] = "untouched";
  ASSERT_EQ(hlvPmonStopProcess(CurrentProcessId(), message, sizeof message), 1) << message;
  EXPECT_EQ(WaitHostEvent(events.Stop, 60000), THostWaitResult::Signalled);
  EXPECT_EQ(WaitHostEvent(events.Stop, 0), THostWaitResult::Signalled);  // manual reset
  EXPECT_TRUE(TraceEventuallyHas("stop-event signalled"));
}

TEST(ProcessMonitor, StopRequestForAnUnknownProcessFailsWithAMessage) {
  const unsigned long nobody = 2147483631;  // odd: no Windows process id; above pid_max on Linux
  char message[128] = "";
  EXPECT_EQ(hlvPmonStopProcess(nobody, message, sizeof message), 0);
  EXPECT_NE(std::string(message).find("2147483631"), std::string::npos) << message;
}

TEST(ProcessMonitor, StopRequestForProcessZeroIsRefused) {
  char message[128] = "";
  EXPECT_EQ(hlvPmonStopProcess(0, message, sizeof message), 0);
  EXPECT_STRNE(message, "");
}

TEST(ProcessMonitor, StopMessageIsCutToTheBuffer) {
  char message[8];
  std::fill(std::begin(message), std::end(message), 'x');
  EXPECT_EQ(hlvPmonStopProcess(0, message, sizeof message), 0);
  EXPECT_EQ(std::string(message).size(), 7u);
  EXPECT_EQ(hlvPmonStopProcess(0, nullptr, 0), 0);
}

// ---- host printers ---------------------------------------------------------

TEST(HostPrinters, EachPrinterCarriesItsPriority) {
  EXPECT_EQ(CapturedStderr([] { e_printf("%s", "failed\n"); }), "<3>failed\n");
  EXPECT_EQ(CapturedStderr([] { m_printf("%s", "ready\n"); }), "<5>ready\n");
  EXPECT_EQ(CapturedStderr([] { d_printf("%s", "debug\n"); }), "<7>debug\n");
}

TEST(HostPrinters, PercentInAnArgumentIsPrintedLiterally) {
  EXPECT_EQ(CapturedStderr([] { m_printf("%s", "100% %s %d %n\n"); }), "<5>100% %s %d %n\n");
}

TEST(HostPrinters, FormatsItsArguments) {
  EXPECT_EQ(CapturedStderr([] { d_printf("[#%d] %s=%u\n", -7, "port", 979u); }), "<7>[#-7] port=979\n");
}

TEST(HostPrinters, EveryLineGetsThePrefixAndTheLastLineIsEnded) {
  EXPECT_EQ(CapturedStderr([] { e_printf("%s", "one\ntwo"); }), "<3>one\n<3>two\n");
  EXPECT_EQ(CapturedStderr([] { e_printf("%s", "\n"); }), "<3>\n");
  EXPECT_EQ(CapturedStderr([] { e_printf("%s", ""); }), "");
}

TEST(HostPrinters, ResultIsTheNumberOfBytesPrinted) {
  int result = 0;
  CapturedStderr([&result] { result = m_printf("%s", "abc\n"); });
  EXPECT_EQ(result, 7);
}

TEST(HostPrinters, LinesOfConcurrentPrintersNeverMix) {
  const int perThread = 300;
  const std::string text = CapturedStderr([] {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([t] {
        for (int i = 0; i < perThread; ++i) m_printf("thread %d line %s\n", t, "abcdefghijklmnopqrstuvwxyz");
      });
    }
    for (std::thread& thread : threads) thread.join();
  });
  std::istringstream lines(text);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_EQ(line.rfind("<5>thread ", 0), 0u) << line;
    ASSERT_EQ(line.substr(line.size() - 31), "line abcdefghijklmnopqrstuvwxyz") << line;
  }
  EXPECT_EQ(count, 4 * perThread);
}

}  // namespace
