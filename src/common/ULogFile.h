// ULogFile: the file side of the log writer. One TLogFile owns the current
// log file in the directory "Logs" below the working directory: it starts
// the first file, appends one line per message (opening and closing the file
// each time), starts a new file when the current one has disappeared or has
// grown past the size limit, and suspends itself after a failure.
//
// A new file never empties an existing one: when the name made from the
// stamp is taken (a restart, or two new files within the same second), a
// counter is added to the name ("Logs/07-12-2026 23-18-20 (2).log").
//
// Append and FileName may be called from any thread; all file work runs
// under the object's lock (LogLock). The clock and the size limit are
// injected so that rotation and stamps can be tested without writing
// megabytes or waiting for midnight.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// A local calendar time, as the stamp of a file name needs it.
struct TLogClockTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};
using TLogClock = std::function<TLogClockTime()>;

// The directory of every log file of the process, on every file system.
inline constexpr const char* LogDirectory = "Logs";
// A file is replaced once a write takes it past this size.
inline constexpr uintmax_t LogSizeLimit = 1048576;

// "dd-mm-yyyy hh-nn-ss", or "dd-mm-yyyy" alone at 00:00:00.
std::string LogStamp(const TLogClockTime& Time);

class TLogFile {
 public:
  // Broken is the process-wide flag that suspends file logging (LogBroken):
  // set here after a failure, cleared by the supervision loop.
  TLogFile(std::atomic<bool>& Broken, TLogClock Clock, uintmax_t SizeLimit = LogSizeLimit);

  // Creates the directory and the first (empty) file of the run.
  // Throws std::runtime_error when that fails.
  void Start();

  // Appends Text and a carriage return and line feed to the current file.
  // On a failure writes "Error with logs" to standard output once and sets
  // the broken flag; the message is not retried. Does nothing while broken.
  void Append(const std::string& Text);

  std::string FileName() const;

 private:
  // Creates a new file named after the clock, holding Header (may be empty);
  // makes it current. Throws std::runtime_error on failure.
  void StartNewFile(const std::string& Header);
  void AppendLocked(const std::string& Line);

  std::atomic<bool>& Broken_;
  TLogClock Clock_;
  uintmax_t SizeLimit_;
  mutable std::mutex LogLock_;
  std::string CurrentName_;
};
