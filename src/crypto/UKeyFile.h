// UKeyFile: reading a command key from a key file, the one way for the
// gateway's settings and for the command-line client alike.
//
// Callable from any thread.
#pragma once

#include <stdexcept>
#include <string>

// A key file that cannot be used; what() says why, naming the file.
struct EKeyFile : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The key on the first line of the file at Path (up to the first CR or LF),
// in the ANSI code page: a file that starts with a UTF-8 byte order mark is
// UTF-8, any other is in the platform's own encoding of files. Throws
// EKeyFile when the file cannot be read or its first line is empty.
std::string ReadKeyFile(const std::string& Path);

// As ReadKeyFile, but also refuses a file that users other than its owner
// may read ("... is readable by others"), as ssh refuses such a key.
std::string ReadPrivateKeyFile(const std::string& Path);
