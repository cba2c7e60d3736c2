#include "QSign.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "QOutput.h"
#include "crypto/UCommandHash.h"
#include "crypto/UCommandMac.h"
#include "crypto/UKeyFile.h"
#include "platform/CodePage.h"

namespace {

std::u16string Wide(const std::string& Ascii) { return std::u16string(Ascii.begin(), Ascii.end()); }

// The address as the gateway reads it: decimal numbers without leading
// zeros. A text of another form goes as it is; the gateway refuses it.
std::string AddressOf(const std::string& Text) {
  std::string Address;
  size_t Start = 0;
  for (int Part = 0; Part < 3; ++Part) {
    size_t End = Part < 2 ? Text.find('.', Start) : Text.size();
    if (End == std::string::npos || End == Start || Text.find_first_not_of("0123456789", Start) < End) return Text;
    size_t Digit = std::min(Text.find_first_not_of('0', Start), End - 1);
    Address += (Part ? "." : "") + Text.substr(Digit, End - Digit);
    Start = End + 1;
  }
  return Address;
}

// The fields of the MAC as the gateway reads them from Query.
TCommandFields FieldsOf(const TJsonPtr& Query, int64_t Timestamp) {
  TCommandFields Fields;
  Fields.Type = Utf16ToAnsi(AsText(GetField(Query, u"query")));
  const bool Analog = Fields.Type == "set-ti";
  Fields.Address = AddressOf(Utf16ToAnsi(AsText(GetField(Query, Analog ? u"ti" : u"ts"))));
  TJsonPtr Value = GetField(Query, u"value");
  if (Fields.Type == "set-ts") Fields.Value = Utf16ToAnsi(AsText(Value));
  if (Analog) Fields.Value = FourDecimals(Utf16ToAnsi(AsText(Value)));
  Fields.Timestamp = Timestamp;
  Fields.KeyId = Utf16ToAnsi(AsText(GetField(Query, u"keyId")));
  return Fields;
}

}  // namespace

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

void SignCommand(const TJsonPtr& Query, const std::string& Key, TSignAuth Auth,
                 const std::optional<std::string>& KeyId) {
  using namespace std::chrono;
  int64_t Now = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  PutInteger(Query, u"timestamp", Now);
  if (Auth != TSignAuth::Mac) PutString(Query, u"hash", Wide(CommandHash(Key, Now)));
  if (Auth == TSignAuth::Hash) return;
  if (KeyId) PutString(Query, u"keyId", FromUser(*KeyId));
  PutString(Query, u"mac", Wide(CommandMac(Key, FieldsOf(Query, Now))));
}
