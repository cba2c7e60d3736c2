// QOutput: the tool's texts from and to the user: what the user wrote
// (arguments, environment, files), the lines on standard output and the
// messages on standard error in the terminal's encoding.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Standard output can no longer be written: its reader has gone (a pipe
// into a program that ended). Thrown by the printers of standard output.
struct EOutputClosed : std::runtime_error {
  EOutputClosed() : std::runtime_error("standard output is closed") {}
};

// A text the user wrote, as the wire's code page can carry it.
std::u16string FromUser(std::string_view Text);
// Writes each line with a line end, then flushes, so that a reader of a
// pipe sees them at once. Throws EOutputClosed when the write fails.
void PrintLines(const std::vector<std::u16string>& Lines);
// "vorlane-query: " and Message on standard error.
void PrintProblem(std::u16string_view Message);
void PrintProblem(const std::string& Message);  // ASCII texts of the tool
// Bytes exactly as they are on standard output; throws EOutputClosed
// when the write fails.
void PrintBytes(const std::string& Bytes);
