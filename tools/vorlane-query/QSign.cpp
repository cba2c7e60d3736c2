#include "QSign.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "QOptions.h"
#include "crypto/UCommandHash.h"
#include "platform/CodePage.h"

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

std::optional<std::string> ReadCommandKey(const std::optional<std::string>& KeyFile) {
  if (KeyFile) {
    std::ifstream File(*KeyFile, std::ios::binary);
    if (!File) throw EUsage("cannot read the key file " + *KeyFile);
    std::string Key = KeyOfFile(std::string(std::istreambuf_iterator<char>(File), {}));
    if (Key.empty()) throw EUsage("the key file " + *KeyFile + " holds no key on its first line");
    return Key;
  }
  const char* Environment = std::getenv("VORLANE_COMMAND_KEY");
  if (Environment && *Environment) return LocaleToAnsi(Environment);
  return std::nullopt;
}

void SignCommand(const TJsonPtr& Query, const std::string& Key) {
  using namespace std::chrono;
  int64_t Now = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  PutInteger(Query, u"timestamp", Now);
  std::string Hash = CommandHash(Key, Now);
  PutString(Query, u"hash", std::u16string(Hash.begin(), Hash.end()));
}
