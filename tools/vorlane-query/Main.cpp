// vorlane-query: the operator's client of the gateway. Builds a query from
// NAME=VALUE arguments, signs commands, prints the answer readably, as
// JSON, as CSV or as it came, or follows the event log.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "QExchange.h"
#include "QFollow.h"
#include "QOutput.h"
#include "QQuery.h"
#include "platform/Process.h"
#include "platform/Terminal.h"

namespace {

int Usage(const char* Problem) {
  PrintProblem(std::string(Problem));
  std::fputs(UsageText(), stderr);
  return ExitUsage;
}

bool AsksForHelp(const std::vector<std::string>& Arguments) {
  for (const auto& Argument : Arguments) {
    if (Argument == "--") return false;
    if (Argument == "--help" || Argument == "-h") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  IgnoreBrokenPipes();
  std::vector<std::string> Arguments(argv + 1, argv + argc);
  if (AsksForHelp(Arguments)) return std::fputs(UsageText(), stdout), ExitAnswer;
  try {
    TOptions Options = ParseOptions(Arguments);
    // Only the exact bytes bypass the text mode's line ends (Win32: CR LF).
    if (Options.Form == TOutputForm::Raw) SetBinaryOutput();
    TSocketsSession Sockets;
    return Options.Type == "follow" ? RunFollow(Options) : RunQuery(Options);
  } catch (const EUsage& Problem) {
    return Usage(Problem.what());
  } catch (const EOutputClosed&) {
    // Nobody reads any more (follow | head): end quietly.
    return ExitOutputClosed;
  } catch (const std::exception& Problem) {
    PrintProblem(std::string(Problem.what()));
    return ExitNoAnswer;
  }
}
