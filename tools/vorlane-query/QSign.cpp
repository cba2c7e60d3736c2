#include "QSign.h"

#include <chrono>
#include <cstdlib>

#include "QOptions.h"
#include "crypto/UCommandHash.h"
#include "crypto/UKeyFile.h"
#include "platform/CodePage.h"

std::optional<std::string> ReadCommandKey(const std::optional<std::string>& KeyFile) {
  if (KeyFile) {
    try {
      return ReadKeyFile(*KeyFile);
    } catch (const EKeyFile& Error) {
      throw EUsage(Error.what());
    }
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
