// ULog: the log writer declared in ULog.h. The immediate output belongs to
// the build (LogImmediate); the file side is one TLogFile, made by StartLog
// when Config.Log is 1 and kept until the process ends.
#include "common/ULog.h"

#include <memory>

#include "common/UCommon.h"
#include "common/ULogFile.h"
#include "platform/LocalTime.h"

std::atomic<bool> LogBroken{false};

namespace {

std::unique_ptr<TLogFile> LogFile;

TLogClockTime LocalClock() {
  TCalendarTime Now = LocalTimeNow();
  return {Now.Year, Now.Month, Now.Day, Now.Hour, Now.Minute, Now.Second};
}

}  // namespace

void StartLog() {
  if (Config.Log != 1) return;
  auto File = std::make_unique<TLogFile>(LogBroken, LocalClock);
  File->Start();
  LogFile = std::move(File);
}

void WriteLog(const std::string& Text, TLogLevel Level) {
  LogImmediate(Text, Level);
  if (Config.Log != 1 || LogBroken || !LogFile) return;
  LogFile->Append(Text);
}

std::string LogFileName() { return LogFile ? LogFile->FileName() : std::string(); }
