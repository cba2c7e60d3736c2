#include "queries/UCommandAuth.h"

#include <map>
#include <mutex>

#include "common/UCommon.h"
#include "crypto/UCommandHash.h"
#include "platform/CodePage.h"
#include "platform/LocalTime.h"
#include "queries/UQuery.h"
#include "telemetry/UTimeText.h"

namespace {

constexpr int64_t WindowSeconds = 120;

// Every hash accepted whose timestamp is still inside the window, with the
// timestamp's second. Remembering all of them, not a fixed number, is what
// makes a captured command useless however many others follow it; entries
// that have left the window are dropped, since the time test refuses them
// anyway.
std::map<std::string, int64_t> UsedHashes;
// Makes the whole of VerifyCommandHash one step for other client threads,
// so that one hash sent by two clients at once is accepted only once.
std::mutex UsedHashLock;

void ForgetExpiredHashes(int64_t Now) {
  std::erase_if(UsedHashes, [Now](const auto& Entry) { return Now - Entry.second > WindowSeconds; });
}

// Takes the same time wherever the first differing digit is, so that the
// answer time tells a guesser nothing about how much of a hash was right.
bool SameDigits(const std::string& Given, const std::string& Expected) {
  if (Given.size() != Expected.size()) return false;
  unsigned char Difference = 0;
  for (size_t Index = 0; Index < Given.size(); ++Index) {
    Difference |= static_cast<unsigned char>(Given[Index] ^ Expected[Index]);
  }
  return Difference == 0;
}

}  // namespace

int64_t NowUtcUnix() {
  // Read in UTC directly: a local time converted back to UTC is an hour off
  // during the hour that repeats when the clocks go back.
  TDateTime Now = 0;
  EncodeDateTime(UtcTimeNow(), Now);
  return DateTimeToUnix(Now);
}

bool VerifyCommandHash(const std::string& Hash, int64_t Timestamp) {
  std::lock_guard<std::mutex> Lock(UsedHashLock);
  int64_t Seconds = Timestamp / 1000;
  int64_t Now = NowUtcUnix();
  if (Seconds > Now || Now - Seconds > WindowSeconds) return false;
  ForgetExpiredHashes(Now);
  if (UsedHashes.count(Hash) != 0) return false;
  if (!SameDigits(Hash, CommandHash(LocaleToAnsi(Config.CommandKey), Timestamp))) return false;
  UsedHashes.emplace(Hash, Seconds);
  return true;
}

void CheckCommandAuth(const TJsonPtr& Query) {
  if (Config.CommandKey.empty()) throw EQueryError("Commands not supported");
  TJsonPtr Hash = GetField(Query, u"hash");
  if (Kind(Hash) != TJsonKind::String) throw EQueryError("ERROR: hash missing or invalid");
  TJsonPtr Timestamp = GetField(Query, u"timestamp");
  if (Kind(Timestamp) != TJsonKind::Integer) throw EQueryError("ERROR: timestamp missing or invalid");
  if (!VerifyCommandHash(Utf16ToAnsi(AsText(Hash)), AsInteger(Timestamp))) {
    throw EQueryError("ERROR: incorrect hash");
  }
}
