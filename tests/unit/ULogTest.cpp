// The log writer: file names and stamps, the first file, appending,
// rotation past the size limit, a vanished file, failures that suspend the
// file, the routing of WriteLog, and client bytes made log-safe.
#include "common/ULog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/UCommon.h"
#include "common/ULogFile.h"
#include "common/ULogSafe.h"

namespace fs = std::filesystem;

// The test program's immediate output: every message is recorded.
namespace {
std::mutex ImmediateLock;
std::vector<std::pair<std::string, TLogLevel>> ImmediateMessages;
}  // namespace

void LogImmediate(const std::string& Text, TLogLevel Level) {
  std::lock_guard<std::mutex> Guard(ImmediateLock);
  ImmediateMessages.emplace_back(Text, Level);
}

namespace {

const std::string NotFoundHeader =
    "Previous log file from this session was not found for some reason. Created a new one.\r\n"
    "=========================\r\n";
const std::string TooBigHeader =
    "Previous log file from this session was not too big. Created a new one.\r\n"
    "=========================\r\n";

std::string ReadFile(const std::string& Name) {
  std::ifstream File(Name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(File), {});
}

void WriteFile(const std::string& Name, const std::string& Bytes) {
  std::ofstream File(Name, std::ios::binary);
  File << Bytes;
}

// Runs each test in an empty working folder of its own, with a clock that
// the test sets.
class LogFolder : public testing::Test {
 protected:
  void SetUp() override {
    Saved_ = fs::current_path();
    Folder_ = fs::temp_directory_path() /
             ("vorlane-ulog-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(Folder_);
    fs::create_directories(Folder_);
    fs::current_path(Folder_);
  }
  void TearDown() override {
    fs::current_path(Saved_);
    fs::remove_all(Folder_);
  }

  TLogClock Clock() {
    return [this] { return Now_; };
  }

  std::string CapturedAppend(TLogFile& File, const std::string& Text) {
    testing::internal::CaptureStdout();
    File.Append(Text);
    return testing::internal::GetCapturedStdout();
  }

  TLogClockTime Now_{2026, 12, 7, 23, 18, 20};
  std::atomic<bool> Broken_{true};
  fs::path Saved_, Folder_;
};

TEST(Stamp, IsDayMonthYearAndTimeWithDashes) {
  EXPECT_EQ(LogStamp({2026, 12, 7, 23, 18, 20}), "07-12-2026 23-18-20");
  EXPECT_EQ(LogStamp({2027, 1, 31, 9, 5, 3}), "31-01-2027 09-05-03");
}

TEST(Stamp, LeavesOutTheTimeOnlyAtMidnightExactly) {
  EXPECT_EQ(LogStamp({2026, 12, 8, 0, 0, 0}), "08-12-2026");
  EXPECT_EQ(LogStamp({2026, 12, 8, 0, 0, 1}), "08-12-2026 00-00-01");
  EXPECT_EQ(LogStamp({2026, 12, 8, 0, 1, 0}), "08-12-2026 00-01-00");
  EXPECT_EQ(LogStamp({2026, 12, 8, 1, 0, 0}), "08-12-2026 01-00-00");
}

TEST_F(LogFolder, StartCreatesAnEmptyFirstFileNamedAfterTheClock) {
  TLogFile File(Broken_, Clock());
  File.Start();
  EXPECT_EQ(File.FileName(), "Logs/07-12-2026 23-18-20.log");
  EXPECT_TRUE(fs::exists(File.FileName()));
  EXPECT_EQ(fs::file_size(File.FileName()), 0u);
  EXPECT_FALSE(Broken_);
}

TEST_F(LogFolder, StartAtMidnightUsesTheDateAlone) {
  Now_ = {2026, 12, 8, 0, 0, 0};
  TLogFile File(Broken_, Clock());
  File.Start();
  EXPECT_EQ(File.FileName(), "Logs/08-12-2026.log");
}

TEST_F(LogFolder, StartNeverEmptiesAnExistingFile) {
  fs::create_directories("Logs");
  WriteFile("Logs/07-12-2026 23-18-20.log", "earlier run\r\n");
  WriteFile("Logs/07-12-2026 23-18-20 (2).log", "second earlier run\r\n");
  TLogFile File(Broken_, Clock());
  File.Start();
  EXPECT_EQ(File.FileName(), "Logs/07-12-2026 23-18-20 (3).log");
  EXPECT_EQ(ReadFile("Logs/07-12-2026 23-18-20.log"), "earlier run\r\n");
  EXPECT_EQ(ReadFile("Logs/07-12-2026 23-18-20 (2).log"), "second earlier run\r\n");
  EXPECT_EQ(fs::file_size(File.FileName()), 0u);
}

TEST_F(LogFolder, StartFailsWhenTheDirectoryCannotBeMade) {
  WriteFile("Logs", "a file in the way");
  TLogFile File(Broken_, Clock());
  EXPECT_THROW(File.Start(), std::runtime_error);
}

TEST_F(LogFolder, AppendWritesEachTextAsOneLine) {
  TLogFile File(Broken_, Clock());
  File.Start();
  File.Append("first");
  File.Append("");
  File.Append("100% of \"data\"");
  EXPECT_EQ(ReadFile(File.FileName()), "first\r\n\r\n100% of \"data\"\r\n");
}

TEST_F(LogFolder, FileOfExactlyTheLimitGoesOnBeingUsed) {
  const uintmax_t Limit = 64;
  TLogFile File(Broken_, Clock(), Limit);
  File.Start();
  std::string First = File.FileName();
  File.Append(std::string(Limit - 2, 'a'));
  EXPECT_EQ(fs::file_size(First), Limit);
  EXPECT_EQ(File.FileName(), First);
}

TEST_F(LogFolder, WritePastTheLimitStartsANewFileAfterIt) {
  const uintmax_t Limit = 256;  // larger than the header
  TLogFile File(Broken_, Clock(), Limit);
  File.Start();
  std::string First = File.FileName();
  std::string Filler(Limit - 2, 'a');
  File.Append(Filler);
  Now_.Second = 21;
  File.Append("crossing");
  // The crossing line stays at the end of the old file; the new file holds
  // only the header until the next message.
  EXPECT_EQ(ReadFile(First), Filler + "\r\ncrossing\r\n");
  EXPECT_EQ(File.FileName(), "Logs/07-12-2026 23-18-21.log");
  EXPECT_EQ(ReadFile(File.FileName()), TooBigHeader);
  File.Append("next");
  EXPECT_EQ(ReadFile(File.FileName()), TooBigHeader + "next\r\n");
}

TEST_F(LogFolder, RotationWithinTheSameSecondKeepsBothFiles) {
  const uintmax_t Limit = 16;
  TLogFile File(Broken_, Clock(), Limit);
  File.Start();
  std::string First = File.FileName();
  File.Append(std::string(Limit, 'b'));
  std::string Second = File.FileName();
  File.Append(std::string(Limit, 'c'));  // past the limit once more: the header alone is larger
  std::string Third = File.FileName();
  EXPECT_EQ(Second, "Logs/07-12-2026 23-18-20 (2).log");
  EXPECT_EQ(Third, "Logs/07-12-2026 23-18-20 (3).log");
  EXPECT_EQ(ReadFile(First), std::string(Limit, 'b') + "\r\n");
  EXPECT_EQ(ReadFile(Second), TooBigHeader + std::string(Limit, 'c') + "\r\n");
  EXPECT_EQ(ReadFile(Third), TooBigHeader);
}

TEST_F(LogFolder, RotatedFilesStayInTheOneDirectory) {
  TLogFile File(Broken_, Clock(), 8);
  File.Start();
  File.Append("long enough to rotate");
  std::vector<std::string> Entries;
  for (const auto& Entry : fs::directory_iterator(Folder_)) Entries.push_back(Entry.path().filename().string());
  EXPECT_EQ(Entries, std::vector<std::string>{"Logs"});
  EXPECT_EQ(File.FileName().rfind("Logs/", 0), 0u);
  EXPECT_TRUE(fs::exists(File.FileName()));
}

TEST_F(LogFolder, RealLimitIsOneMebibyte) {
  TLogFile File(Broken_, Clock());
  File.Start();
  std::string First = File.FileName();
  File.Append(std::string(LogSizeLimit - 2, 'x'));
  EXPECT_EQ(fs::file_size(First), 1048576u);
  EXPECT_EQ(File.FileName(), First);
  File.Append("");
  EXPECT_EQ(fs::file_size(First), 1048578u);
  EXPECT_NE(File.FileName(), First);
  EXPECT_EQ(ReadFile(File.FileName()), TooBigHeader);
}

TEST_F(LogFolder, MessageLongerThanTheLimitIsWrittenWholeThenANewFileStarts) {
  TLogFile File(Broken_, Clock());
  File.Start();
  std::string First = File.FileName();
  std::string Huge(LogSizeLimit + 1000, 'h');
  File.Append(Huge);
  EXPECT_EQ(ReadFile(First), Huge + "\r\n");
  EXPECT_NE(File.FileName(), First);
  EXPECT_EQ(ReadFile(File.FileName()), TooBigHeader);
}

TEST_F(LogFolder, VanishedFileIsReplacedWithAHeaderAndTheMessage) {
  TLogFile File(Broken_, Clock());
  File.Start();
  File.Append("before");
  fs::remove(File.FileName());
  Now_.Minute = 40;
  File.Append("after");
  EXPECT_EQ(File.FileName(), "Logs/07-12-2026 23-40-20.log");
  EXPECT_EQ(ReadFile(File.FileName()), NotFoundHeader + "after\r\n");
  EXPECT_FALSE(Broken_);
}

TEST_F(LogFolder, VanishedDirectoryIsMadeAgain) {
  TLogFile File(Broken_, Clock());
  File.Start();
  fs::remove_all("Logs");
  File.Append("after");
  EXPECT_EQ(ReadFile(File.FileName()), NotFoundHeader + "after\r\n");
}

TEST_F(LogFolder, FailureIsReportedOnceAndSuspendsTheFile) {
  TLogFile File(Broken_, Clock());
  File.Start();
  std::string First = File.FileName();
  // A directory in the file's place: the name exists but cannot be opened.
  fs::remove(First);
  fs::create_directory(First);
  EXPECT_EQ(CapturedAppend(File, "lost"), "Error with logs\n");
  EXPECT_TRUE(Broken_);
  EXPECT_EQ(CapturedAppend(File, "skipped"), "");
  // Re-enabled once the obstacle is gone: the vanished file is replaced.
  fs::remove(First);
  Broken_ = false;
  EXPECT_EQ(CapturedAppend(File, "again"), "");
  EXPECT_FALSE(Broken_);
  EXPECT_EQ(ReadFile(File.FileName()), NotFoundHeader + "again\r\n");
}

TEST_F(LogFolder, NewNameSkipsANameTakenByAnything) {
  TLogFile File(Broken_, Clock(), 4);
  File.Start();
  std::string First = File.FileName();
  fs::create_directory("Logs/07-12-2026 23-18-21.log");
  Now_.Second = 21;
  EXPECT_EQ(CapturedAppend(File, "crossing"), "");
  EXPECT_EQ(File.FileName(), "Logs/07-12-2026 23-18-21 (2).log");
  EXPECT_TRUE(fs::is_directory("Logs/07-12-2026 23-18-21.log"));
  EXPECT_EQ(ReadFile(First), "crossing\r\n");
}

TEST_F(LogFolder, LinesOfConcurrentWritersNeverInterleave) {
  TLogFile File(Broken_, Clock(), 4096);
  File.Start();
  const int Writers = 4, Lines = 200;
  std::vector<std::thread> Threads;
  for (int Writer = 0; Writer < Writers; ++Writer)
    Threads.emplace_back([&File, Writer] {
      for (int Line = 0; Line < Lines; ++Line) File.Append(std::string(40, static_cast<char>('a' + Writer)));
    });
  for (std::thread& Thread : Threads) Thread.join();
  int Counted = 0;
  for (const auto& Entry : fs::directory_iterator("Logs")) {
    std::istringstream Text(ReadFile(Entry.path().string()));
    for (std::string Line; std::getline(Text, Line);) {
      if (Line.empty() || Line[0] == 'P' || Line[0] == '=') continue;
      EXPECT_EQ(Line, std::string(40, Line[0]) + "\r");
      ++Counted;
    }
  }
  EXPECT_EQ(Counted, Writers * Lines);
  EXPECT_FALSE(Broken_);
}

class WriteLogRouting : public LogFolder {
 protected:
  void SetUp() override {
    LogFolder::SetUp();
    std::lock_guard<std::mutex> Guard(ImmediateLock);
    ImmediateMessages.clear();
  }
  void TearDown() override {
    Config = TConfig();
    LogBroken = false;
    LogFolder::TearDown();
  }
};

// Every level, in order; message i of a test is "level i".
constexpr TLogLevel AllLevels[] = {TLogLevel::Progress, TLogLevel::Debug, TLogLevel::Notice, TLogLevel::Error};

void WriteEveryLevel() {
  for (std::size_t Index = 0; Index < std::size(AllLevels); ++Index)
    WriteLog("level " + std::to_string(Index), AllLevels[Index]);
}

TEST_F(WriteLogRouting, WithoutLogFilesOnlyTheImmediateOutputGetsMessages) {
  Config.Log = 0;
  StartLog();
  WriteEveryLevel();
  EXPECT_FALSE(fs::exists("Logs"));
  std::lock_guard<std::mutex> Guard(ImmediateLock);
  ASSERT_EQ(ImmediateMessages.size(), 4u);
  for (std::size_t Index = 0; Index < std::size(AllLevels); ++Index)
    EXPECT_EQ(ImmediateMessages[Index], std::make_pair("level " + std::to_string(Index), AllLevels[Index]));
}

TEST_F(WriteLogRouting, WithLogFilesEveryLevelGoesToTheFileToo) {
  Config.Log = 1;
  StartLog();
  ASSERT_EQ(LogFileName().rfind("Logs/", 0), 0u);
  WriteEveryLevel();
  EXPECT_EQ(ReadFile(LogFileName()), "level 0\r\nlevel 1\r\nlevel 2\r\nlevel 3\r\n");
  std::lock_guard<std::mutex> Guard(ImmediateLock);
  EXPECT_EQ(ImmediateMessages.size(), 4u);
}

TEST_F(WriteLogRouting, BrokenLogSkipsTheFileButNotTheImmediateOutput) {
  Config.Log = 1;
  StartLog();
  std::string Name = LogFileName();
  fs::remove(Name);
  fs::create_directory(Name);
  testing::internal::CaptureStdout();
  WriteLog("lost", TLogLevel::Progress);
  WriteLog("skipped", TLogLevel::Progress);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error with logs\n");
  EXPECT_TRUE(LogBroken);
  fs::remove(Name);
  LogBroken = false;
  WriteLog("back", TLogLevel::Progress);
  EXPECT_EQ(ReadFile(LogFileName()), NotFoundHeader + "back\r\n");
  std::lock_guard<std::mutex> Guard(ImmediateLock);
  EXPECT_EQ(ImmediateMessages.size(), 3u);
}

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

}  // namespace
