#include "queries/UCommandAuth.h"

#include <map>
#include <mutex>
#include <optional>

#include "common/UCommon.h"
#include "crypto/UCommandHash.h"
#include "crypto/UCommandMac.h"
#include "platform/CodePage.h"
#include "queries/UCommandKeys.h"
#include "queries/UCommandLockout.h"
#include "queries/UQuery.h"
#include "queries/UQueryMembers.h"
#include "telemetry/UTimeText.h"

namespace {

constexpr int64_t WindowSeconds = 120;

// Every proof accepted whose timestamp is still inside the window, with
// the timestamp's second. Remembering all of them, not a fixed number, is
// what makes a captured command useless however many others follow it;
// entries that have left the window are dropped, since the time test
// refuses them anyway.
std::map<std::string, int64_t> UsedHashes;
// Makes the whole of VerifyCommandHash one step for other client threads,
// so that one proof sent by two clients at once is accepted only once.
std::mutex UsedHashLock;

void ForgetExpiredHashes(int64_t Now) {
  std::erase_if(UsedHashes, [Now](const auto& Entry) { return Now - Entry.second > WindowSeconds; });
}

// Takes the same time wherever the first differing digit is, so that the
// answer time tells a guesser nothing about how much of a proof was right.
bool SameDigits(const std::string& Given, const std::string& Expected) {
  if (Given.size() != Expected.size()) return false;
  unsigned char Difference = 0;
  for (size_t Index = 0; Index < Given.size(); ++Index) {
    Difference |= static_cast<unsigned char>(Given[Index] ^ Expected[Index]);
  }
  return Difference == 0;
}

// The members of a command's proof.
struct TProof {
  bool Mac = false;
  std::string Given;  // the hash or the MAC, ANSI
  int64_t Timestamp = 0;
  std::string KeyId;  // empty: the default key
  bool KeyIdValid = true;
};

[[noreturn]] void Refuse(std::string Reason, TMessage Message, std::string Details = {}) {
  CommandAudit().Refused(std::move(Reason), std::move(Details));
  throw EQueryError(Message);
}

bool UsesMac(const TJsonPtr& Query) {
  switch (Config.CommandAuth) {
    case TCommandAuth::Mac: return true;
    case TCommandAuth::Either: return HasField(Query, u"mac");
    default: return false;
  }
}

// "keyId": absent for the default key; anything but a valid id names no key.
// A member of another kind than text keeps its JSON text as the id given,
// which the audit shows only as invalid.
void ReadKeyId(const TJsonPtr& Query, TProof& Proof) {
  if (!HasField(Query, u"keyId")) return;
  const bool IsText = TextField(Query, u"keyId", Proof.KeyId);
  if (!IsText) Proof.KeyId = Utf16ToAnsi(AsText(GetField(Query, u"keyId")));
  Proof.KeyIdValid = IsText && IsCommandKeyId(Proof.KeyId);
}

TProof ReadProof(const TJsonPtr& Query, bool Mac) {
  TProof Proof;
  if (!TextField(Query, Mac ? u"mac" : u"hash", Proof.Given)) {
    if (Mac) Refuse("mac missing or invalid", TMessage::MacInvalid);
    Refuse("hash missing or invalid", TMessage::HashInvalid);
  }
  if (!IntegerField(Query, u"timestamp", Proof.Timestamp)) {
    Refuse("timestamp missing or invalid", TMessage::TimestampInvalid);
  }
  Proof.Mac = Mac;
  if (Mac) ReadKeyId(Query, Proof);
  return Proof;
}

std::string AuditKeyId(const TProof& Proof) {
  if (Proof.KeyId.empty()) return "default";
  return Proof.KeyIdValid ? Proof.KeyId : "(invalid id)";
}

// What the proof must be, for a known key.
std::string ExpectedProof(const TProof& Proof, const TCommandSubject& Subject, const std::string& Key) {
  if (!Proof.Mac) return CommandHash(Key, Proof.Timestamp);
  // switch-ts chooses its value itself: the client signs the toggle.
  std::string Value = Subject.Type == "switch-ts" ? std::string() : Subject.Value;
  return CommandMac(Key, {Subject.Type, Subject.Point, Value, Proof.Timestamp, Proof.KeyId});
}

// Checks the proof; on refusal, the reason and the audit's further fields.
bool ProofAccepted(const TProof& Proof, const TCommandSubject& Subject, std::string& Reason, std::string& Details) {
  std::optional<std::string> Key = Proof.KeyIdValid ? FindCommandKey(Proof.KeyId) : std::nullopt;
  if (!Key) {
    Reason = "unknown key";
    return false;
  }
  TProofCheck Check =
      VerifyCommandHash(Proof.Given, Proof.Timestamp, [&] { return ExpectedProof(Proof, Subject, *Key); });
  switch (Check.Verdict) {
    case TProofVerdict::Accepted: return true;
    case TProofVerdict::Stale: Reason = "stale timestamp"; break;
    case TProofVerdict::Ahead: Reason = "timestamp ahead of the gateway's clock"; break;
    case TProofVerdict::Reused: Reason = "reused"; break;
    case TProofVerdict::Wrong: Reason = Proof.Mac ? "wrong MAC" : "wrong hash"; break;
  }
  if (Check.Verdict == TProofVerdict::Stale || Check.Verdict == TProofVerdict::Ahead) {
    Details = "timestamp=" + UtcClockText(Proof.Timestamp, true) + " gateway=" + UtcClockText(Check.Now * 1000, false);
  }
  return false;
}

}  // namespace

TProofCheck VerifyCommandHash(const std::string& Proof, int64_t Timestamp,
                              const std::function<std::string()>& Expected) {
  std::lock_guard<std::mutex> Lock(UsedHashLock);
  const int64_t Seconds = Timestamp / 1000;
  const int64_t Now = NowUtcUnix();
  if (Seconds > Now) return {TProofVerdict::Ahead, Now};
  if (Now - Seconds > WindowSeconds) return {TProofVerdict::Stale, Now};
  ForgetExpiredHashes(Now);
  if (UsedHashes.count(Proof) != 0) return {TProofVerdict::Reused, Now};
  if (!SameDigits(Proof, Expected())) return {TProofVerdict::Wrong, Now};
  UsedHashes.emplace(Proof, Seconds);
  return {TProofVerdict::Accepted, Now};
}

void CheckCommandAuth(const TJsonPtr& Query, const TCommandSubject& Subject) {
  TCommandAudit& Audit = CommandAudit();
  const bool Mac = UsesMac(Query);
  Audit.Reached(Subject, Mac);
  if (!CommandKeysConfigured()) Refuse("commands not supported", TMessage::CommandsNotSupported);
  const TProof Proof = ReadProof(Query, Mac);
  Audit.UsesKey(AuditKeyId(Proof));
  if (CommandsLockedOut(Audit.Client())) Refuse("locked out", TMessage::IncorrectHash);
  std::string Reason, Details;
  if (!ProofAccepted(Proof, Subject, Reason, Details)) {
    NoteRefusedAuthorisation(Audit.Client());
    Refuse(Reason, TMessage::IncorrectHash, Details);
  }
  Audit.Authorised();
}
