// QOutput: the tool's texts from and to the user: what the user wrote
// (arguments, environment, files), the lines on standard output and the
// messages on standard error in the terminal's encoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A text the user wrote, as the wire's code page can carry it.
std::u16string FromUser(std::string_view Text);
// Writes each line with a line end, then flushes, so that a reader of a
// pipe sees them at once.
void PrintLines(const std::vector<std::u16string>& Lines);
// "vorlane-query: " and Message on standard error.
void PrintProblem(std::u16string_view Message);
void PrintProblem(const std::string& Message);  // ASCII texts of the tool
// Bytes exactly as they are on standard output.
void PrintBytes(const std::string& Bytes);
