#include "net/UDispatch.h"

#include <string>
#include <utility>

#include "common/UCommon.h"
#include "platform/CodePage.h"
#include "queries/QCatalogue.h"
#include "queries/QCommands.h"
#include "queries/QEvents.h"
#include "queries/QInfo.h"
#include "queries/QRetro.h"
#include "queries/QTest.h"
#include "queries/QValues.h"
#include "telemetry/UServer.h"

namespace {

// Query types in lower case, searched in this order.
constexpr std::pair<std::string_view, TQueryHandler> QueryTable[] = {
    {"test", QueryTest},
    {"retro", QueryRetro},
    {"instant", QueryInstant},
    {"info", QueryInfo},
    {"tms-ch", QueryChannels},
    {"tms-rtu", QueryRtus},
    {"tms-ts", QueryStatusPoints},
    {"tms-ti", QueryAnalogPoints},
    {"tms-tii", QueryAccumPoints},
    {"events-latest", QueryEventsLatest},
    {"events-current", QueryEventsCurrent},
    {"events-archive", QueryEventsArchive},
    {"set-ts", QuerySetTs},
    {"switch-ts", QuerySwitchTs},
    {"ack-ts", QueryAckTs},
    {"set-ti", QuerySetTi},
};

// Folds only A to Z: the ANSI code page's other letters keep their case.
std::string LowerAsciiLetters(std::string Text) {
  for (char& Char : Text) {
    if (Char >= 'A' && Char <= 'Z') Char = static_cast<char>(Char - 'A' + 'a');
  }
  return Text;
}

}  // namespace

TQueryHandler FindQueryHandler(std::string_view LowerType) {
  for (const auto& [Type, Handler] : QueryTable) {
    if (Type == LowerType) return Handler;
  }
  return nullptr;
}

TJsonPtr DispatchQuery(const TJsonPtr& Query) {
  if (ShutdownRequested) throw EQueryError(TMessage::GateClosing);
  if (!IsServerConnected()) throw EQueryError(TMessage::ServerDisconnected);
  TJsonPtr Type = GetField(Query, u"query");
  if (!Type) throw EQueryError(TMessage::QueryTypeMissing);

  TJsonPtr Answer = NewObject();
  TJsonPtr Id = GetField(Query, u"id");
  if (Kind(Id) == TJsonKind::String) PutString(Answer, u"id", AsText(Id));

  // A type of another kind than string is compared as its JSON text.
  TQueryHandler Handler = FindQueryHandler(LowerAsciiLetters(Utf16ToAnsi(AsText(Type))));
  if (!Handler) throw EQueryError(TMessage::QueryTypeUnknown);
  Handler(Query, Answer);
  return Answer;
}
