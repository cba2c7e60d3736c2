// CodePage: conversions between the host's 8-bit code pages and UTF-16.
//
// The ANSI code page is the one of every text on the wire and in files; the
// OEM code page is the one of the telemetry server's event source texts.
// Win32 uses the host's code pages (CP_ACP, CP_OEMCP). POSIX uses fixed
// tables, Windows-1251 as ANSI and 866 as OEM, so that the wire carries what
// the existing clients read on a Russian Windows host.
//
// Pure functions, safe on any thread. Every byte converts (an 8-bit code
// page has no invalid input); a character that the target code page cannot
// hold becomes "?" on both platforms, never a look-alike (no best-fit
// mapping), so that no character can turn into a quote or a backslash of
// the text it lands in.
#pragma once

#include <string>
#include <string_view>

// ANSI bytes to UTF-16, one code unit per byte.
std::u16string AnsiToUtf16(std::string_view Text);
// UTF-16 to ANSI bytes; a surrogate pair counts as one character.
std::string Utf16ToAnsi(std::u16string_view Text);
// OEM bytes to ANSI bytes, one byte per byte.
std::string OemToAnsi(std::string_view Text);
// A command-line text to ANSI bytes. Win32 hands the program its command
// line in the ANSI code page already: unchanged. POSIX hands it over in the
// locale's encoding, taken as UTF-8; a text that is not valid UTF-8 is
// taken as 8-bit bytes already and kept unchanged.
std::string LocaleToAnsi(std::string_view Text);
// UTF-8 bytes to UTF-16 on every platform. Each ill-formed part (a byte
// that begins no sequence, a sequence cut short, an overlong form, a
// surrogate, a value above U+10FFFF) becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view Text);
// UTF-16 to UTF-8 on every platform; a surrogate without its partner
// becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view Text);
// A text in the form that the platform's file functions take for a path
// and that the command line hands over: Win32 the ANSI code page (a
// character outside it becomes "?"), POSIX UTF-8.
std::string Utf16ToLocale(std::u16string_view Text);
// UTF-8 bytes to ANSI bytes on every platform, for texts known to be UTF-8
// (a file that starts with a byte order mark); a text that is not valid
// UTF-8 is taken as 8-bit bytes already and kept unchanged.
std::string Utf8ToAnsi(std::string_view Text);
