// Terminal: the output of a command-line tool in the encoding of the
// user's terminal.
//
// POSIX: UTF-8, unpaired surrogates becoming U+FFFD. Win32: the console's
// output code page (the ANSI code page when there is no console), a
// character it cannot hold becoming "?". What the user hands in
// (arguments, environment, files) is LocaleToAnsi's (CodePage.h).
//
// Pure functions except SetBinaryOutput; safe on any thread.
#pragma once

#include <string>
#include <string_view>

// UTF-16 to the bytes the user's terminal shows.
std::string Utf16ToTerminal(std::u16string_view Text);
// Standard output passes bytes unchanged (Win32: no LF to CR LF), so that
// a tool can hand on exact bytes.
void SetBinaryOutput();
