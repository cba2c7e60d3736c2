// Terminal: the texts of a command-line tool, between its UTF-16 strings
// and the user's side: arguments, environment values and files the user
// wrote, and the output the user reads.
//
// POSIX: UTF-8 both ways. Win32: arguments, environment values and files
// are in the ANSI code page (what a char main() and getenv give), output in
// the console's output code page (the ANSI code page when there is no
// console). Invalid UTF-8 bytes and unpaired surrogates become U+FFFD;
// a character that the output code page cannot hold becomes "?".
//
// Pure functions except SetBinaryOutput; safe on any thread.
#pragma once

#include <string>
#include <string_view>

// A text the user wrote (argument, environment value, file) to UTF-16.
std::u16string UserTextToUtf16(std::string_view Text);
// UTF-16 to the bytes the user's terminal shows.
std::string Utf16ToTerminal(std::u16string_view Text);
// Standard output passes bytes unchanged (Win32: no LF to CR LF), so that
// a tool can hand on exact bytes.
void SetBinaryOutput();
