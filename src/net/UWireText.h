// UWireText: the texts of queries and answers on the wire, in the code page
// that Config.Charset names: the ANSI code page (as the existing clients
// read) or UTF-8 (every character survives). The log keeps the ANSI code
// page either way.
//
// Pure functions of their text and Config; any thread.
#pragma once

#include <string>
#include <string_view>

// The bytes of a query as text.
std::u16string WireToUtf16(std::string_view Bytes);
// The text of an answer as bytes.
std::string Utf16ToWire(std::u16string_view Text);
// The bytes of a query in the ANSI code page, for the log: unchanged when
// the wire is ANSI already.
std::string WireToAnsi(std::string_view Bytes);
