#include "crypto/UKeyFile.h"

#include <string_view>

#include "platform/CodePage.h"
#include "platform/FileAccess.h"

namespace {

// The key on the first line of a key file, in the ANSI code page.
std::string KeyOfFile(const std::string& Text) {
  std::string Line = Text.substr(0, Text.find_first_of("\r\n"));
  // Editors on Windows may start a UTF-8 file with a byte order mark; such
  // a file is UTF-8 whatever the platform's own encoding of files.
  if (Line.rfind("\xEF\xBB\xBF", 0) == 0) return Utf8ToAnsi(std::string_view(Line).substr(3));
  return LocaleToAnsi(Line);
}

}  // namespace

std::string ReadKeyFile(const std::string& Path) {
  std::string Text;
  if (!ReadWholeFile(Path, Text)) throw EKeyFile("cannot read the key file " + Path);
  std::string Key = KeyOfFile(Text);
  if (Key.empty()) throw EKeyFile("the key file " + Path + " holds no key on its first line");
  return Key;
}

std::string ReadPrivateKeyFile(const std::string& Path) {
  if (IsReadableByOthers(Path)) throw EKeyFile("the key file " + Path + " is readable by others");
  return ReadKeyFile(Path);
}
