// UAreaText: the texts of the fixed-size, NUL-padded areas that the
// telemetry library fills (names, properties, time texts, event records).
// Pure functions, safe on any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text of a NUL-padded area of Size bytes: up to its first NUL, or the
// whole area when it has none; nothing beyond it is read.
std::string AreaText(const char* Area, size_t Size);

// Text without trailing blanks and control characters (bytes up to 0x20).
std::string TrimRightText(std::string_view Text);
