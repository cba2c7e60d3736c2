// ULogFile: see ULogFile.h.
#include "common/ULogFile.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace {

const char* const NotFoundHeader =
    "Previous log file from this session was not found for some reason. Created a new one.\r\n"
    "=========================\r\n";
const char* const TooBigHeader =
    "Previous log file from this session was not too big. Created a new one.\r\n"
    "=========================\r\n";

struct TFileCloser {
  void operator()(std::FILE* File) const { std::fclose(File); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

[[noreturn]] void Fail(const std::string& What, const std::string& Name) {
  throw std::runtime_error(What + " " + Name);
}

bool Exists(const std::string& Name) {
  std::error_code Error;
  bool Found = std::filesystem::exists(Name, Error);
  if (Error) Fail("cannot look for", Name);
  return Found;
}

// Opens Name in Mode, writes Bytes and closes it, checking every step.
void WriteFile(const std::string& Name, const char* Mode, const std::string& Bytes) {
  TFilePtr File(std::fopen(Name.c_str(), Mode));
  if (!File) Fail("cannot open", Name);
  if (!Bytes.empty() && std::fwrite(Bytes.data(), 1, Bytes.size(), File.get()) != Bytes.size())
    Fail("cannot write", Name);
  if (std::fclose(File.release()) != 0) Fail("cannot close", Name);
}

// The first free name for Stamp: "Logs/<stamp>.log", else with " (2)", " (3)", ...
std::string FreeName(const std::string& Stamp) {
  std::string Base = std::string(LogDirectory) + "/" + Stamp;
  std::string Name = Base + ".log";
  for (int Counter = 2; Exists(Name); ++Counter) Name = Base + " (" + std::to_string(Counter) + ").log";
  return Name;
}

}  // namespace

std::string LogStamp(const TLogClockTime& Time) {
  char Text[64];
  if (Time.Hour == 0 && Time.Minute == 0 && Time.Second == 0)
    std::snprintf(Text, sizeof Text, "%02d-%02d-%04d", Time.Day, Time.Month, Time.Year);
  else
    std::snprintf(Text, sizeof Text, "%02d-%02d-%04d %02d-%02d-%02d", Time.Day, Time.Month, Time.Year, Time.Hour,
                  Time.Minute, Time.Second);
  return Text;
}

TLogFile::TLogFile(std::atomic<bool>& Broken, TLogClock Clock, uintmax_t SizeLimit)
    : Broken_(Broken), Clock_(std::move(Clock)), SizeLimit_(SizeLimit) {}

void TLogFile::Start() {
  std::lock_guard<std::mutex> Guard(LogLock_);
  StartNewFile("");
  Broken_ = false;
}

std::string TLogFile::FileName() const {
  std::lock_guard<std::mutex> Guard(LogLock_);
  return CurrentName_;
}

void TLogFile::StartNewFile(const std::string& Header) {
  std::error_code Error;
  std::filesystem::create_directories(LogDirectory, Error);
  if (Error) Fail("cannot create the directory", LogDirectory);
  std::string Name = FreeName(LogStamp(Clock_()));
  WriteFile(Name, "wb", Header);
  CurrentName_ = Name;
}

void TLogFile::Append(const std::string& Text) {
  std::lock_guard<std::mutex> Guard(LogLock_);
  // Another thread may have failed while this one waited for the lock:
  // the failure is reported once.
  if (Broken_) return;
  try {
    AppendLocked(Text + "\r\n");
  } catch (const std::exception&) {
    std::fputs("Error with logs\n", stdout);
    std::fflush(stdout);
    Broken_ = true;
  }
}

void TLogFile::AppendLocked(const std::string& Line) {
  if (!Exists(CurrentName_)) StartNewFile(NotFoundHeader);
  WriteFile(CurrentName_, "ab", Line);
  std::error_code Error;
  uintmax_t Size = std::filesystem::file_size(CurrentName_, Error);
  if (Error) Fail("cannot measure", CurrentName_);
  if (Size > SizeLimit_) StartNewFile(TooBigHeader);
}
