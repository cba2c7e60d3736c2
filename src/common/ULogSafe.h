// ULogSafe: client bytes made fit for one log line. Pure, any thread.
#pragma once

#include <string>
#include <string_view>

// Text with every control character (bytes 0 to 31 and 127) written as an
// escape: \r, \n and \t for those three, \xNN (two upper-case hexadecimal
// digits) for the others. A client can then neither end a log line nor
// forge the next one. Every other byte, backslash included, stays as it is.
std::string LogSafeText(std::string_view Text);
