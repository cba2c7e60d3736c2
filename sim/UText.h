// UText: the text conversions of telvexd. The dataset file and the admin
// interface speak UTF-8; the server's texts are ANSI (Windows-1251 on
// POSIX, the host's ANSI code page on Windows) and the source texts of
// event records OEM (866). Pure functions, any thread.
#pragma once

#include <string>
#include <string_view>

// Utf8ToUtf16 and Utf16ToUtf8 come from here.
#include "platform/CodePage.h"

// UTF-8 to the server's ANSI code page.
std::string Utf8ToServer(std::string_view Text);
// The server's ANSI text to UTF-8.
std::string ServerToUtf8(std::string_view Text);
// UTF-8 to the OEM code page 866 (Cyrillic letters and ASCII; others "?").
std::string Utf8ToOem(std::string_view Text);
