// UCommandHash: the digest that signs a control command, shared by the
// gateway that checks it and the client that makes it, so that both compose
// the same bytes.
//
// Pure function, safe on any thread.
#pragma once

#include <cstdint>
#include <string>

// SHA-256 of "!Rmq-tux@" + AnsiKey + "@" + Timestamp in decimal (no leading
// zeros) + "!", as 64 lower-case hexadecimal digits. AnsiKey is the command
// key's bytes in the ANSI code page; Timestamp is in UTC milliseconds.
std::string CommandHash(const std::string& AnsiKey, int64_t Timestamp);
