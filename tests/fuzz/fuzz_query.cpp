// libFuzzer target for the whole road of one query after its receive:
// code page conversion, parse, the envelope's checks, dispatch to the
// handler of its type, and the answer's bytes, with every handler reaching
// a simulated telemetry server of this process (demo dataset, its event log).
//
// Any input must give one answer that is one JSON object, without a crash
// or a leak. An error answer holds only "error", and its text is one of the
// gateway's messages (the table of common/UMessages.h).
//
// With FUZZ_QUERY_TRACE set, each answer is printed, to see what a corpus
// reaches.
//
// Signed commands: a signature is valid for two minutes only, so a stored
// seed cannot carry one. The member text "hash":"sign" is replaced, before
// the query goes its road, by a hash and a timestamp made now with the key
// that the target sets; every other input goes its road unchanged.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "UDataset.h"
#include "UInProcessServer.h"
#include "USimulator.h"
#include "common/UCommon.h"
#include "common/UMessages.h"
#include "common/ULog.h"
#include "crypto/USha256.h"
#include "json/UJson.h"
#include "net/UDispatch.h"
#include "common/ULogSafe.h"
#include "platform/CodePage.h"
#include "protocol/UTvxTime.h"
#include "queries/UQuery.h"
#include "telemetry/UServer.h"

namespace {

const std::string CommandKey = "fuzz-key";
const std::string SignMarker = "\"hash\":\"sign\"";

void Check(bool Condition, const char* What) {
  if (Condition) return;
  std::fprintf(stderr, "fuzz_query: %s\n", What);
  std::abort();
}

// A formatted message matches by the part before its variable.
bool KnownMessage(const std::string& Text) {
  for (const TMessageText& Message : MessageTable) {
    if (Message.Formatted ? Text.compare(0, Message.Text.size(), Message.Text) == 0 : Text == Message.Text)
      return true;
  }
  return false;
}

std::string HexOf(const uint8_t* Bytes, std::size_t Size) {
  static const char Digits[] = "0123456789abcdef";
  std::string Text;
  for (std::size_t I = 0; I < Size; ++I) {
    Text += Digits[Bytes[I] >> 4];
    Text += Digits[Bytes[I] & 15];
  }
  return Text;
}

// The "hash" and "timestamp" members of a command signed now.
std::string SignedMembers() {
  using namespace std::chrono;
  const int64_t Now = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  const std::string Text = "!Rmq-tux@" + CommandKey + "@" + std::to_string(Now) + "!";
  TSha256 Digest;
  Digest.DigestStart();
  Digest.DigestAddBytes(Text.data(), static_cast<uint32_t>(Text.size()));
  uint8_t Bytes[TSha256::DigestBytes];
  Digest.DigestFinish(Bytes);
  return "\"hash\":\"" + HexOf(Bytes, sizeof Bytes) + "\",\"timestamp\":" + std::to_string(Now);
}

std::string Signed(std::string Bytes) {
  const std::size_t At = Bytes.find(SignMarker);
  if (At != std::string::npos) Bytes.replace(At, SignMarker.size(), SignedMembers());
  return Bytes;
}

std::string ToAnsiJson(const TJsonPtr& Value) { return Utf16ToAnsi(ToJsonText(Value)); }

// What a session does with the bytes of its receive.
std::string AnswerOf(const std::string& Bytes) {
  try {
    if (Bytes.empty()) throw EQueryError("No data");
    if (Bytes.size() > Config.Length) throw EQueryError("Query too long");
    WriteLog("Query: " + LogSafeText(Bytes), TLogLevel::Debug);
    const TJsonPtr Query = ParseJson(AnsiToUtf16(Bytes));
    if (!Query) throw EQueryError("ERROR: invalid format");
    return ToAnsiJson(DispatchQuery(Query));
  } catch (const std::exception& Error) {
    WriteLog(LogSafeText(Error.what()), TLogLevel::Debug);
    TJsonPtr Answer = NewObject();
    PutString(Answer, u"error", AnsiToUtf16(Error.what()));
    return ToAnsiJson(Answer);
  }
}

void CheckAnswer(const std::string& Bytes) {
  const TJsonPtr Answer = ParseJson(AnsiToUtf16(Bytes));
  Check(Answer && Kind(Answer) == TJsonKind::Object, "the answer is not one JSON object");
  const TJsonPtr Error = GetField(Answer, u"error");
  if (!Error) return;
  Check(MemberCount(Answer) == 1 && Kind(Error) == TJsonKind::String, "an error answer holds more than its text");
  const std::string Text = Utf16ToAnsi(AsText(Error));
  if (!KnownMessage(Text)) {
    std::fprintf(stderr, "fuzz_query: unknown error text \"%s\"\n", LogSafeText(Text).c_str());
    std::abort();
  }
}

// The simulated server with its history of events up to now.
std::unique_ptr<TSimulator> StartServer(const TModel& Model) {
  auto Sim = std::make_unique<TSimulator>(Model);
  std::lock_guard<std::mutex> Guard(Sim->Lock);
  const int64_t Now = LocalNowMs();
  Sim->GeneratedMs = Now - static_cast<int64_t>(Sim->Model.HistoryHours) * 3600000;
  Sim->GenerateUntil(Now);
  return Sim;
}

const TModel* Dataset = nullptr;
TSimulator* Server = nullptr;
bool Trace = false;

// Commands keep every change to a point, and reading a point goes through
// its changes: the model goes back to the dataset's every so many runs, so
// that a run costs the same early and late.
constexpr unsigned RunsPerModel = 256;

void RenewModelAtTimes() {
  static unsigned Runs = 0;
  if (++Runs % RunsPerModel != 0) return;
  std::lock_guard<std::mutex> Guard(Server->Lock);
  Server->Model = *Dataset;
}

}  // namespace

// The session's log has no console here.
void LogImmediate(const std::string&, TLogLevel) {}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static const TModel Model = LoadDataset(FUZZ_DATASET_FILE);
  static const std::unique_ptr<TSimulator> Sim = StartServer(Model);
  Dataset = &Model;
  Server = Sim.get();
  SetInProcessServer(Server);
  Config.CommandKey = CommandKey;
  Trace = std::getenv("FUZZ_QUERY_TRACE") != nullptr;
  Check(ConnectServer(), "cannot connect to the in-process server");
  CheckEventsAvailable();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  RenewModelAtTimes();
  const std::string Bytes = Signed(std::string(reinterpret_cast<const char*>(Data), Size));
  const std::string Answer = AnswerOf(Bytes);
  if (Trace) std::fprintf(stderr, "%s\n", LogSafeText(Answer).c_str());
  CheckAnswer(Answer);
  return 0;
}
