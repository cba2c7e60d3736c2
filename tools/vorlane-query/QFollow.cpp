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
      : FOptions(Options), FGateway(GatewayOf(Options)), FPosition(Options.From) {}

  [[noreturn]] void Run() {
    if (FOptions.Form == TOutputForm::Csv) PrintLines({EventCsvHeading()});
    for (;;) {
      // After a catch-up the next poll goes at once, before more events come.
      const TPoll Result = Poll();
      if (Result != TPoll::Again) Pause(Result == TPoll::Served);
    }
  }

 private:
  TPoll Poll() {
    std::string Problem;
    TJsonPtr Answer = Ask(FPosition, Problem);
    if (!Answer) return Notice(AnsiToUtf16(Problem)), TPoll::Failed;
    std::u16string Message;
    if (IsErrorAnswer(Answer, Message)) {
      if (Message == TooFarBehind && FPosition) return CatchUp();
      return Notice(u"the gateway answered: " + Message), TPoll::Failed;
    }
    TJsonPtr Last = GetField(Answer, u"lastEventId");
    if (Kind(Last) != TJsonKind::Integer) return Notice(u"the answer has no lastEventId"), TPoll::Failed;
    PrintEvents(GetField(Answer, u"events"));
    FPosition = AsInteger(Last);
    FMargin = FirstMargin;
    return TPoll::Served;
  }

  // The answer of events-current from Position (the present when none).
  TJsonPtr Ask(const std::optional<int64_t>& Position, std::string& Problem) {
    TJsonPtr Query = NewObject();
    PutString(Query, u"query", u"events-current");
    if (Position) PutInteger(Query, u"fromEventId", *Position);
    if (FOptions.Id) PutString(Query, u"id", FromUser(*FOptions.Id));
    TExchangeResult Result = Exchange(FGateway, ToWire(FOptions, ToJsonText(Query)));
    if (Result.Status != TExchangeStatus::Answered) return Problem = Result.Problem, TJsonPtr();
    TJsonPtr Answer = ParseAnswer(FOptions, Result.Answer);
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
    const int64_t Margin = FMargin;
    FMargin = std::min(FMargin * 2, ReachableEvents);
    const int64_t Target = AsInteger(Last) - (ReachableEvents - Margin);
    if (Target > *FPosition) {
      PrintProblem(u"fell more than 2000 events behind: " + Utf16(std::to_string(Target - *FPosition)) +
                   u" events after " + Utf16(std::to_string(*FPosition)) + u" are skipped");
      FPosition = Target;
      return TPoll::Again;
    }
    if (Margin < ReachableEvents) return TPoll::Again;
    return Notice(u"the gateway answered: " + std::u16string(TooFarBehind)), TPoll::Failed;
  }

  void PrintEvents(const TJsonPtr& Events) {
    std::vector<std::u16string> Lines;
    for (std::size_t Index = 0; Index < ArrayLength(Events); ++Index) {
      TJsonPtr Event = ArrayItem(Events, Index);
      switch (FOptions.Form) {
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
    FFailing = true;
    PrintProblem(Text);
  }

  void Pause(bool Served) {
    double Interval = *FOptions.Interval;
    if (Served) {
      if (FFailing) PrintProblem(std::string("the gateway answers again"));
      FFailing = false;
      FPause = Interval;
    } else {
      FPause = std::min(std::max(FPause * 2, Interval), std::max(LongestPause, Interval));
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(Served ? Interval : FPause));
  }

  const TOptions& FOptions;
  TGatewayAddress FGateway;
  std::optional<int64_t> FPosition;
  bool FFailing = false;
  double FPause = 0;
  int64_t FMargin = FirstMargin;
};

}  // namespace

int RunFollow(const TOptions& Options) {
  if (Options.Form == TOutputForm::Raw) throw EUsage("follow prints events; --raw is for single queries");
  TOptions Settled = Options;
  if (!Settled.Interval) Settled.Interval = 2;
  TFollower(Settled).Run();
}
