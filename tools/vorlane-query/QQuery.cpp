#include "QQuery.h"

#include "QAnswer.h"
#include "QCsv.h"
#include "QMembers.h"
#include "QOutput.h"
#include "QPretty.h"
#include "QRender.h"
#include "QSign.h"
#include "QWire.h"

namespace {

TJsonPtr QueryFromMembers(const TOptions& Options) {
  std::vector<std::pair<std::u16string, std::u16string>> Members;
  for (const auto& [Name, Value] : Options.Members) Members.emplace_back(FromUser(Name), FromUser(Value));
  std::u16string Id = Options.Id ? FromUser(*Options.Id) : u"";
  TJsonPtr Query = BuildQuery(Options.Type, Members, Options.Id ? &Id : nullptr);
  if (!IsCommand(Options.Type)) return Query;
  if (auto Key = ReadCommandKey(Options.KeyFile)) {
    SignCommand(Query, *Key, Options.Auth, Options.KeyId);
  } else {
    PrintProblem(std::string("no command key (--key-file F or VORLANE_COMMAND_KEY): the command goes unsigned"));
  }
  return Query;
}

void PrintAnswer(TOutputForm Form, const TJsonPtr& Query, const TJsonPtr& Answer) {
  switch (Form) {
    case TOutputForm::Json:
      PrintLines({PrettyJson(Answer)});
      break;
    case TOutputForm::Csv:
      PrintLines(RenderCsv(Query, Answer));
      break;
    default:
      PrintLines(RenderReadable(Query, Answer));
  }
}

}  // namespace

TGatewayAddress GatewayOf(const TOptions& Options) {
  return {Options.Host, Options.Port, Options.Timeout, Options.Tls};
}

TJsonPtr ParseAnswer(const TOptions& Options, const std::string& Bytes) {
  TJsonPtr Answer = ParseJson(FromWire(Options, Bytes));
  return Kind(Answer) == TJsonKind::Object ? Answer : TJsonPtr();
}

int RunQuery(const TOptions& Options) {
  std::u16string Text = Options.QueryText ? FromUser(*Options.QueryText) : ToJsonText(QueryFromMembers(Options));
  TJsonPtr Query = ParseJson(Text);
  if (Options.Form == TOutputForm::Csv && !HasCsvRows(QueryType(Query))) {
    throw EUsage("--csv is for instant, info, retro, tms-* and the event queries");
  }
  TExchangeResult Result = Exchange(GatewayOf(Options), ToWire(Options, Text));
  if (Result.Status != TExchangeStatus::Answered) {
    PrintProblem(Result.Problem);
    return ExitNoAnswer;
  }
  if (Options.Form == TOutputForm::Raw) PrintBytes(Result.Answer);
  TJsonPtr Answer = ParseAnswer(Options, Result.Answer);
  if (!Answer) {
    PrintProblem(u"the answer is not a JSON object: " + FromWire(Options, Result.Answer.substr(0, 200)));
    return ExitNoAnswer;
  }
  std::u16string Message;
  if (IsErrorAnswer(Answer, Message)) {
    if (Options.Form == TOutputForm::Json) PrintLines({PrettyJson(Answer)});
    PrintProblem(Message);
    return ExitErrorAnswer;
  }
  if (Options.Form != TOutputForm::Raw) PrintAnswer(Options.Form, Query, Answer);
  return ExitAnswer;
}
