// ULog: the log writer. Every report of the program goes through WriteLog,
// from any thread. A message goes at once to the immediate output of the
// build (LogImmediate) and, when Config.Log is 1, is appended as one line to
// the current file in the directory "Logs" (see ULogFile.h for the files:
// names, rotation past 1 MiB, a vanished file, failures).
#pragma once

#include <atomic>
#include <string>

// Prepares the log once at start-up, before any other thread exists: with
// Config.Log 1, makes "Logs" and the first, empty, file of the run.
// REQUIRES: Config is filled. Throws std::runtime_error when the first log
// file cannot be created.
void StartLog();

// The level of a message, as the host log sorts it (the console build
// prints every level alike; the log file takes every level).
enum class TLogLevel {
  Progress,  // plain progress of start-up and supervision; not in the host log
  Debug,     // a client's traffic, the periodic "working" line: debug print
  Notice,    // start and stop, warnings, audit and lock-out lines: message print
  Error,     // failures ("ERROR: ..."): error print
};

// Any thread. File failures never reach the caller: "Error with logs" goes
// to standard output once and LogBroken is set.
void WriteLog(const std::string& Text, TLogLevel Level);

// The rule line under the banner's headings.
inline constexpr const char* LogRule = "====================";

// Path of the current log file, relative to the working directory; empty
// without log files.
std::string LogFileName();

// True while file logging is suspended after a failure; the supervision
// loop clears it to try the file again.
extern std::atomic<bool> LogBroken;

// Immediate output of one message; each build links its own definition
// (console: a line on standard output; host log: the host printers,
// Progress not printed). A test program that links the log writer defines
// its own.
void LogImmediate(const std::string& Text, TLogLevel Level);
