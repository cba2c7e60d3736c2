// Platform layer: host events, thread identifiers, local time and its
// conversion to UTC, the program's own path. The console's control handler and Enter-key wait need
// a console or terminal and real signals; the end-to-end tests cover them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "halvern.h"
#include "platform/HostEvent.h"
#include "platform/LocalTime.h"
#include "platform/Process.h"
#include "platform/Threads.h"

namespace {

// A zone half an hour off any whole hour, so that a conversion that ignores
// the zone cannot pass. (POSIX reads TZ; Windows keeps the host's zone.)
[[maybe_unused]] const bool ZoneSet = [] {
  static char zone[] = "TZ=XST-05:30";
  return putenv(zone) == 0;
}();

// ---- host events -----------------------------------------------------------

TEST(HostEvent, MissingOrBogusHandlesFail) {
  for (const THostEventHandle bogus : {THostEventHandle(nullptr), reinterpret_cast<THostEventHandle>(1),
                                       reinterpret_cast<THostEventHandle>(2)}) {
    EXPECT_FALSE(SignalHostEvent(bogus));
    EXPECT_EQ(WaitHostEvent(bogus, 0), THostWaitResult::Failed);
    EXPECT_EQ(WaitHostEvent(bogus, 10), THostWaitResult::Failed);
  }
}

// halvern hands out one start event per process, so its whole life is
// followed in one test: unsignalled, signalled from another thread, and
// signalled for good.
TEST(HostEvent, SignalWakesAWaiterAndStays) {
  HLVHANDLE start = nullptr, stop = nullptr;
  const char* argv[] = {"PlatformTest"};
  ASSERT_EQ(hlvPmonLocalRegisterProcess(1, argv, &start, &stop), 1);

  EXPECT_EQ(WaitHostEvent(start, 0), THostWaitResult::TimedOut);
  EXPECT_EQ(WaitHostEvent(start, 20), THostWaitResult::TimedOut);
  EXPECT_EQ(WaitHostEvent(stop, 0), THostWaitResult::TimedOut);

  std::promise<void> waiting;
  auto waiter = std::async(std::launch::async, [&waiting, start] {
    waiting.set_value();
    return WaitHostEvent(start, HostWaitInfinite);
  });
  waiting.get_future().wait();
  ASSERT_TRUE(SignalHostEvent(start));
  EXPECT_EQ(waiter.get(), THostWaitResult::Signalled);

  EXPECT_EQ(WaitHostEvent(start, 0), THostWaitResult::Signalled);
  EXPECT_TRUE(SignalHostEvent(start));
  EXPECT_EQ(WaitHostEvent(start, 20), THostWaitResult::Signalled);
  EXPECT_EQ(WaitHostEvent(stop, 0), THostWaitResult::TimedOut);  // the other event is untouched
}

// ---- threads ---------------------------------------------------------------

TEST(Threads, IdentifierIsStablePerThreadAndDistinctBetweenLiveThreads) {
  const uint32_t mine = CurrentThreadId();
  EXPECT_NE(mine, 0u);
  EXPECT_EQ(CurrentThreadId(), mine);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto other = std::async(std::launch::async, [released] {
    const uint32_t id = CurrentThreadId();
    SetBelowNormalPriority();
    SetBelowNormalPriority();
    const bool stable = CurrentThreadId() == id;
    released.wait();  // stays alive while the main thread compares
    return std::make_pair(id, stable);
  });
  release.set_value();
  const auto [id, stable] = other.get();
  EXPECT_NE(id, mine);
  EXPECT_TRUE(stable);
}

// The nice value of thread Id as Linux shows it in /proc; nothing where
// there is no such file (Windows).
std::optional<int> NiceValue(uint32_t Id) {
  std::ifstream file("/proc/self/task/" + std::to_string(Id) + "/stat");
  std::string stat;
  if (!std::getline(file, stat) || stat.rfind(')') == std::string::npos) return std::nullopt;
  // After the command name: state, then fields 4 to 19; nice is field 19.
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string field;
  for (int i = 3; i <= 19 && fields >> field; ++i) {
  }
  return fields ? std::optional<int>(std::stoi(field)) : std::nullopt;
}

TEST(Threads, BelowNormalPriorityLowersOnlyTheCallingThreadAndOnlyOnce) {
  const std::optional<int> normal = NiceValue(CurrentThreadId());
  if (!normal) GTEST_SKIP() << "thread priorities are not visible here";
  const auto [lowered, again] = std::async(std::launch::async, [] {
                                  SetBelowNormalPriority();
                                  const std::optional<int> once = NiceValue(CurrentThreadId());
                                  SetBelowNormalPriority();
                                  return std::make_pair(once, NiceValue(CurrentThreadId()));
                                }).get();
  EXPECT_EQ(lowered, std::min(*normal + 1, 19));
  EXPECT_EQ(again, lowered);
  EXPECT_EQ(NiceValue(CurrentThreadId()), normal);
}

// ---- local time ------------------------------------------------------------

// Seconds since 1970-01-01 of a calendar time read as UTC.
int64_t Seconds(const TCalendarTime& Time) {
  const int64_t y = Time.Month <= 2 ? Time.Year - 1 : Time.Year;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (Time.Month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + Time.Day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;
  return days * 86400 + Time.Hour * 3600 + Time.Minute * 60 + Time.Second;
}

void ExpectFieldsInRange(const TCalendarTime& Time) {
  EXPECT_GE(Time.Year, 2020);
  EXPECT_GE(Time.Month, 1);
  EXPECT_LE(Time.Month, 12);
  EXPECT_GE(Time.Day, 1);
  EXPECT_LE(Time.Day, 31);
  EXPECT_LE(Time.Hour, 23);
  EXPECT_LE(Time.Minute, 59);
  EXPECT_LE(Time.Second, 60);
  EXPECT_LE(Time.Millisecond, 999);
}

TEST(LocalTime, ClocksGiveCalendarFields) {
  ExpectFieldsInRange(LocalTimeNow());
  ExpectFieldsInRange(UtcTimeNow());
}

// Both clocks are read within moments; a wrong zone rule would be off by
// half an hour at least.
TEST(LocalTime, LocalNowConvertsToUtcNow) {
  const TCalendarTime local = LocalTimeNow();
  TCalendarTime utc;
  ASSERT_TRUE(LocalToUtc(local, utc));
  const int64_t apart = Seconds(UtcTimeNow()) - Seconds(utc);
  EXPECT_GE(apart, -1);
  EXPECT_LE(apart, 60);
}

TEST(LocalTime, ConversionKeepsMilliseconds) {
  TCalendarTime local;
  local.Year = 2026;
  local.Month = 12;
  local.Day = 7;
  local.Hour = 23;
  local.Minute = 18;
  local.Second = 20;
  local.Millisecond = 765;
  TCalendarTime utc;
  ASSERT_TRUE(LocalToUtc(local, utc));
  EXPECT_EQ(utc.Millisecond, 765);
  EXPECT_EQ((Seconds(local) - Seconds(utc)) % 900, 0) << "zones differ by quarter hours";
}

TEST(LocalTime, ImpossibleDatesAreRefused) {
  const TCalendarTime sentinel{1999, 1, 1, 0, 0, 0, 0};
  for (const TCalendarTime bad : {TCalendarTime{2026, 4, 31, 12, 0, 0, 0}, TCalendarTime{2026, 13, 1, 12, 0, 0, 0},
                                  TCalendarTime{2026, 0, 1, 12, 0, 0, 0}, TCalendarTime{2023, 2, 29, 12, 0, 0, 0},
                                  TCalendarTime{2026, 1, 0, 12, 0, 0, 0}, TCalendarTime{2026, 1, 1, 24, 0, 0, 0},
                                  TCalendarTime{2026, 1, 1, 12, 60, 0, 0}, TCalendarTime{2026, 1, 1, 12, 0, 0, 1000}}) {
    TCalendarTime utc = sentinel;
    EXPECT_FALSE(LocalToUtc(bad, utc)) << bad.Year << "-" << bad.Month << "-" << bad.Day << " " << bad.Hour << ":"
                                       << bad.Minute << " ." << bad.Millisecond;
    EXPECT_EQ(utc.Year, sentinel.Year);
  }
}

TEST(LocalTime, LeapDayIsAccepted) {
  TCalendarTime utc;
  EXPECT_TRUE(LocalToUtc(TCalendarTime{2024, 2, 29, 12, 0, 0, 0}, utc));
  EXPECT_TRUE(LocalToUtc(TCalendarTime{2000, 2, 29, 12, 0, 0, 0}, utc));
  EXPECT_FALSE(LocalToUtc(TCalendarTime{1900 + 200, 2, 29, 12, 0, 0, 0}, utc));
}

// ---- the program's path ----------------------------------------------------

// Whatever the test was started as, the path names this test's own file.
TEST(Process, ProgramPathIsTheRunningProgramsFile) {
  const std::filesystem::path Path = ProgramPath();
  EXPECT_TRUE(Path.is_absolute()) << Path;
  EXPECT_TRUE(std::filesystem::is_regular_file(Path)) << Path;
  EXPECT_EQ(Path.stem(), "PlatformTest");
}

}  // namespace
