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

// The gateway's refusal when the position is further behind than it serves.
constexpr std::u16string_view TooFarBehind = u"ERROR: events archive is too large";
// How far back from the present the gateway serves.
constexpr int64_t ReachableEvents = 2000;

class TFollower {
 public:
  explicit TFollower(const TOptions& Options)
      : FOptions(Options), FGateway(GatewayOf(Options)), FPosition(Options.From) {}

  [[noreturn]] void Run() {
    if (FOptions.Form == TOutputForm::Csv) PrintLines({EventCsvHeading()});
    for (;;) {
      bool Served = Poll();
      Pause(Served);
    }
  }

 private:
  // One poll; true when it was answered with events (possibly none).
  bool Poll() {
    std::string Problem;
    TJsonPtr Answer = Ask(FPosition, Problem);
    if (!Answer) return Notice(AnsiToUtf16(Problem)), false;
    std::u16string Message;
    if (IsErrorAnswer(Answer, Message)) {
      if (Message == TooFarBehind && FPosition) return CatchUp();
      return Notice(u"the gateway answered: " + Message), false;
    }
    TJsonPtr Last = GetField(Answer, u"lastEventId");
    if (Kind(Last) != TJsonKind::Integer) return Notice(u"the answer has no lastEventId"), false;
    PrintEvents(GetField(Answer, u"events"));
    FPosition = AsInteger(Last);
    return true;
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
  // serves cannot be had any more: say how many, and go on from there.
  // True when the position moved.
  bool CatchUp() {
    std::string Problem;
    TJsonPtr Answer = Ask(std::nullopt, Problem);
    TJsonPtr Last = GetField(Answer, u"lastEventId");
    if (Kind(Last) != TJsonKind::Integer) return Notice(u"the present position cannot be read"), false;
    int64_t Oldest = AsInteger(Last) - ReachableEvents;
    PrintProblem(u"fell more than 2000 events behind: " + Utf16(std::to_string(Oldest - *FPosition)) +
           u" events after " + Utf16(std::to_string(*FPosition)) + u" are skipped");
    FPosition = Oldest;
    return true;
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
};

}  // namespace

int RunFollow(const TOptions& Options) {
  if (Options.Form == TOutputForm::Raw) throw EUsage("follow prints events; --raw is for single queries");
  TOptions Settled = Options;
  if (!Settled.Interval) Settled.Interval = 2;
  TFollower(Settled).Run();
}
