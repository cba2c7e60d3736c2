#include "queries/UCommandAudit.h"

#include <chrono>
#include <cstdio>

namespace {

thread_local TCommandAudit* Current = nullptr;

const std::string NoClient;

}  // namespace

TCommandAudit::TCommandAudit(const std::string& Client) : Client_(Client), Outer_(Current) { Current = this; }

TCommandAudit::~TCommandAudit() { Current = Outer_; }

void TCommandAudit::Reached(const TCommandSubject& Subject, bool Mac) {
  Subject_ = Subject;
  Mac_ = Mac;
  KeyId_ = "default";
  Outcome_ = TOutcome::Checking;
  Detail_.clear();
}

void TCommandAudit::Authorised() { Outcome_ = TOutcome::Done; }

void TCommandAudit::Refused(std::string Reason, std::string Details) {
  Outcome_ = TOutcome::Refused;
  Detail_ = "reason=\"" + Reason + "\"" + (Details.empty() ? "" : " " + Details);
}

void TCommandAudit::QueryFailed(const std::string& Message) {
  if (Outcome_ != TOutcome::Done) return;
  Outcome_ = TOutcome::Failed;
  Detail_ = "error=\"" + Message + "\"";
}

std::string TCommandAudit::Line() const {
  if (Outcome_ == TOutcome::None) return {};
  std::string Line = "Command audit: client=" + Client_ + " type=" + Subject_.Type + " point=" + Subject_.Point +
                     " value=" + (Subject_.Value.empty() ? "-" : Subject_.Value) + " key=" + KeyId_ +
                     " scheme=" + (Mac_ ? "mac" : "hash") + " outcome=";
  switch (Outcome_) {
    case TOutcome::Done: return Line + "done";
    case TOutcome::Failed: return Line + "failed " + Detail_;
    case TOutcome::Refused: return Line + "refused " + Detail_;
    default: return Line + "unknown";  // a check that ended without a verdict
  }
}

TCommandAudit& CommandAudit() {
  if (Current) return *Current;
  // Made only while no audit is installed, so that installing itself (as
  // every audit does) leaves no session's audit behind.
  thread_local TCommandAudit Spare(NoClient);
  return Spare;
}

std::string UtcClockText(int64_t Milliseconds, bool WithMilliseconds) {
  using namespace std::chrono;
  constexpr int64_t Year10000 = 253402300800000;  // 10000-01-01 in milliseconds
  if (Milliseconds < 0 || Milliseconds >= Year10000) return std::to_string(Milliseconds);
  const sys_time<milliseconds> Moment{milliseconds(Milliseconds)};
  const sys_days Day = floor<days>(Moment);
  const year_month_day Date(Day);
  const hh_mm_ss<milliseconds> Time(Moment - Day);
  char Text[32];
  std::snprintf(Text, sizeof Text, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(Date.year()),
                static_cast<unsigned>(Date.month()), static_cast<unsigned>(Date.day()),
                static_cast<int>(Time.hours().count()), static_cast<int>(Time.minutes().count()),
                static_cast<int>(Time.seconds().count()));
  std::string Result = Text;
  if (WithMilliseconds) {
    std::snprintf(Text, sizeof Text, ".%03d", static_cast<int>(Time.subseconds().count()));
    Result += Text;
  }
  return Result + "Z";
}
