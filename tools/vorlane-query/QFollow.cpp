#include "QFollow.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "QAnswer.h"
#include "QCsv.h"
#include "QOutput.h"
#include "QQuery.h"
#include "QRender.h"
#include "QWire.h"
#include "platform/CodePage.h"

namespace {

// The longest pause between retries, in seconds.
constexpr double LongestPause = 30;

// The gateway's refusal when the position is further behind than it serves
// (or more events came in one answer than it delivers).
constexpr std::u16string_view TooFarBehind = u"ERROR: events archive is too large";
// How far back from the present the gateway serves, and how many events
// one answer may deliver.
constexpr int64_t ReachableEvents = 2000;
// The room a catch-up leaves for events that come before its next poll;
// doubled while the gateway still refuses, up to the present itself.
constexpr int64_t FirstMargin = 500;

// What one poll came to: events (possibly none), a failure to pause after,
// or a new start that is polled at once.
enum class TPoll { Served, Failed, Again };

class TFollower {
 public:
  explicit TFollower(const TOptions& Options)
      : Options_(Options), Gateway_(GatewayOf(Options)), Position_(Options.From) {}

  [[noreturn]] void Run() {
    if (Options_.Form == TOutputForm::Csv) PrintLines({EventCsvHeading()});
    for (;;) {
      // After a catch-up the next poll goes at once, before more events come.
      const TPoll Result = Poll();
      if (Result != TPoll::Again) Pause(Result == TPoll::Served);
    }
  }

 private:
  TPoll Poll() {
    std::string Problem;
    TJsonPtr Answer = Ask(Position_, Problem);
    if (!Answer) return Notice(AnsiToUtf16(Problem)), TPoll::Failed;
    std::u16string Message;
    if (IsErrorAnswer(Answer, Message)) {
      if (Message == TooFarBehind && Position_) return CatchUp();
      return Notice(u"the gateway answered: " + Message), TPoll::Failed;
    }
    TJsonPtr Last = GetField(Answer, u"lastEventId");
    if (Kind(Last) != TJsonKind::Integer) return Notice(u"the answer has no lastEventId"), TPoll::Failed;
    PrintEvents(GetField(Answer, u"events"));
    Position_ = AsInteger(Last);
    Margin_ = FirstMargin;
    return TPoll::Served;
  }

  // The answer of events-current from Position (the present when none).
  TJsonPtr Ask(const std::optional<int64_t>& Position, std::string& Problem) {
    TJsonPtr Query = NewObject();
    PutString(Query, u"query", u"events-current");
    if (Position) PutInteger(Query, u"fromEventId", *Position);
    if (Options_.Id) PutString(Query, u"id", FromUser(*Options_.Id));
    TExchangeResult Result = Exchange(Gateway_, ToWire(Options_, ToJsonText(Query)));
    if (Result.Status != TExchangeStatus::Answered) return Problem = Result.Problem, TJsonPtr();
    TJsonPtr Answer = ParseAnswer(Options_, Result.Answer);
    if (!Answer) Problem = "the answer is not a JSON object";
    return Answer;
  }

  // The events between the position and the oldest one the gateway still
  // serves cannot be had any more. The follower moves to that many events
  // before the present, less a margin for the events that come meanwhile,
  // and says once how many it skipped. The margin grows on each refusal in
  // a row up to the present itself, so that even a fast log is caught up
  // with; the position never moves back.
  TPoll CatchUp() {
    std::string Problem;
    TJsonPtr Answer = Ask(std::nullopt, Problem);
    TJsonPtr Last = GetField(Answer, u"lastEventId");
    if (Kind(Last) != TJsonKind::Integer) return Notice(u"the present position cannot be read"), TPoll::Failed;
    const int64_t Margin = Margin_;
    Margin_ = std::min(Margin_ * 2, ReachableEvents);
    const int64_t Target = AsInteger(Last) - (ReachableEvents - Margin);
    if (Target > *Position_) {
      PrintProblem(u"fell more than 2000 events behind: " + Utf16(std::to_string(Target - *Position_)) +
                   u" events after " + Utf16(std::to_string(*Position_)) + u" are skipped");
      Position_ = Target;
      return TPoll::Again;
    }
    if (Margin < ReachableEvents) return TPoll::Again;
    return Notice(u"the gateway answered: " + std::u16string(TooFarBehind)), TPoll::Failed;
  }

  void PrintEvents(const TJsonPtr& Events) {
    std::vector<std::u16string> Lines;
    for (std::size_t Index = 0; Index < ArrayLength(Events); ++Index) {
      TJsonPtr Event = ArrayItem(Events, Index);
      switch (Options_.Form) {
        case TOutputForm::Csv:
          Lines.push_back(EventCsvRow(Event));
          break;
        case TOutputForm::Json:
          Lines.push_back(ToJsonText(Event));
          break;
        default:
          Lines.push_back(EventLine(Event));
      }
    }
    PrintLines(Lines);
  }

  void Notice(const std::u16string& Text) {
    Failing_ = true;
    PrintProblem(Text);
  }

  void Pause(bool Served) {
    double Interval = *Options_.Interval;
    if (Served) {
      if (Failing_) PrintProblem(std::string("the gateway answers again"));
      Failing_ = false;
      Pause_ = Interval;
    } else {
      Pause_ = std::min(std::max(Pause_ * 2, Interval), std::max(LongestPause, Interval));
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(Served ? Interval : Pause_));
  }

  const TOptions& Options_;
  TGatewayAddress Gateway_;
  std::optional<int64_t> Position_;
  bool Failing_ = false;
  double Pause_ = 0;
  int64_t Margin_ = FirstMargin;
};

}  // namespace

int RunFollow(const TOptions& Options) {
  if (Options.Form == TOutputForm::Raw) throw EUsage("follow prints events; --raw is for single queries");
  TOptions Settled = Options;
  if (!Settled.Interval) Settled.Interval = 2;
  TFollower(Settled).Run();
}
