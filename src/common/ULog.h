// ULog: the log writer. Every report of the program goes through WriteLog,
// from any thread. A message goes at once to the immediate output of the
// build (LogImmediate) and, when Config.Log is 1, is appended as one line to
// the current file in the directory "Logs".
#pragma once

#include <atomic>
#include <string>

// Prepares the log once at start-up, before any other thread exists.
// REQUIRES: Config is filled. Throws std::runtime_error when the first log
// file cannot be created.
void StartLog();

// Level 0 plain, 1 debug, 2 message, 3 error.
void WriteLog(const std::string& Text, int Level);

// Path of the current log file, relative to the working directory.
std::string LogFileName();

// True while file logging is suspended after a failure; the supervision
// loop clears it to try the file again.
extern std::atomic<bool> LogBroken;

// Immediate output of one message; each build links its own definition
// (console: a line on standard output; host log: the host printers).
void LogImmediate(const std::string& Text, int Level);
