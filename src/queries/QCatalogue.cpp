#include "queries/QCatalogue.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/CodePage.h"
#include "queries/UObjectName.h"
#include "queries/UQuery.h"
#include "queries/UQueryMembers.h"
#include "telemetry/Telemetry.h"
#include "telemetry/UServer.h"

namespace {

constexpr int32_t PageSize = 255;
using TIdArea = std::array<uint16_t, PageSize>;

// Where the objects of one query live: channels within the server, RTUs
// within a channel, points within an RTU.
struct TScope {
  uint16_t Kind = 0;
  uint16_t Channel = 0;
  uint16_t Rtu = 0;
};

// One page of identifiers in ascending order from First on; gives how many.
int EnumPage(const TScope& Scope, uint16_t First, TIdArea& Ids) {
  Ids = {};
  TMutexLock Guard(ServerLock);
  return tvxEnumObjects(ServerHandle, Scope.Kind, PageSize, Ids.data(), Scope.Channel, Scope.Rtu, First) & 0xFF;
}

// The name call's address of object Id in Scope.
TPointAddress ObjectAddress(const TScope& Scope, uint16_t Id) {
  if (Scope.Kind == TVX_KIND_CHANNEL) return {Id, 0, 0};
  if (Scope.Kind == TVX_KIND_RTU) return {Scope.Channel, Id, 0};
  return {Scope.Channel, Scope.Rtu, Id};
}

// "lastId" and "items" of one page: a name call per object, each with its
// item under its own holding of the lock.
void AnswerPage(const TScope& Scope, const TIdArea& Ids, int Count, const TJsonPtr& Answer) {
  PutInteger(Answer, u"lastId", Count > 0 ? Ids[Count - 1] : 0);
  TJsonPtr Items = NewArray();
  PutValue(Answer, u"items", Items);
  for (int Index = 0; Index < Count; ++Index) {
    const TPointAddress Address = ObjectAddress(Scope, Ids[Index]);
    std::string Name;
    TMutexLock Guard(ServerLock);
    if (ReadObjectName(Scope.Kind, Address.Channel, Address.Rtu, Address.Point, Name) <= 0) continue;
    TJsonPtr Item = NewObject();
    PutInteger(Item, u"id", Ids[Index]);
    PutString(Item, u"n", AnsiToUtf16(Name));
    ArrayPutAt(Items, static_cast<std::size_t>(Index), Item);
  }
}

// Channels and RTUs: one list of at most 255, whose size is the total.
void AnswerList(const TScope& Scope, const TJsonPtr& Answer) {
  TIdArea Ids;
  const int Count = EnumPage(Scope, 0, Ids);
  PutInteger(Answer, u"total", Count);
  AnswerPage(Scope, Ids, Count, Answer);
}

// Every point of the scope from point 1 on, a page at a time. The count
// ends also with a library that keeps reporting full pages: after the page
// that reaches point 65535, or at a page that does not move past the one
// before; identifiers below a page's start were counted with an earlier
// page and are not counted again.
int64_t CountPoints(const TScope& Scope) {
  int64_t Total = 0;
  uint16_t Start = 1;
  TIdArea Ids;
  for (;;) {
    const int Count = EnumPage(Scope, Start, Ids);
    for (int Index = 0; Index < Count; ++Index) Total += Ids[Index] >= Start ? 1 : 0;
    if (Count < PageSize) return Total;
    const uint16_t Last = Ids[Count - 1];
    if (Last == UINT16_MAX || Last < Start) return Total;
    Start = static_cast<uint16_t>(Last + 1);
  }
}

void AnswerPoints(const TJsonPtr& Query, uint16_t Kind, const TJsonPtr& Answer) {
  int32_t Channel = 0, Rtu = 0, From = 0;
  if (!IntegerField(Query, u"ch", Channel)) throw EQueryError(TMessage::ChannelInvalid);
  if (!IntegerField(Query, u"rtu", Rtu)) throw EQueryError(TMessage::RtuInvalid);
  if (Channel < 0 || Channel > 255) throw EQueryError(TMessage::ChannelInvalid);
  if (Rtu < 0 || Rtu > 255) throw EQueryError(TMessage::RtuInvalid);
  if (HasField(Query, u"from") && (!IntegerField(Query, u"from", From) || From < 0 || From > UINT16_MAX))
    throw EQueryError(TMessage::FromInvalid);
  const TScope Scope{Kind, static_cast<uint16_t>(Channel), static_cast<uint16_t>(Rtu)};
  PutInteger(Answer, u"total", CountPoints(Scope));
  TIdArea Ids;
  const int Count = EnumPage(Scope, static_cast<uint16_t>(From), Ids);
  AnswerPage(Scope, Ids, Count, Answer);
}

}  // namespace

void QueryChannels(const TJsonPtr& /*Query*/, const TJsonPtr& Answer) { AnswerList({TVX_KIND_CHANNEL, 0, 0}, Answer); }

void QueryRtus(const TJsonPtr& Query, const TJsonPtr& Answer) {
  int32_t Channel = 0;
  if (!IntegerField(Query, u"ch", Channel) || Channel < 0 || Channel > 255) throw EQueryError(TMessage::ChannelInvalid);
  AnswerList({TVX_KIND_RTU, static_cast<uint16_t>(Channel), 0}, Answer);
}

void QueryStatusPoints(const TJsonPtr& Query, const TJsonPtr& Answer) { AnswerPoints(Query, TVX_KIND_STATUS, Answer); }
void QueryAnalogPoints(const TJsonPtr& Query, const TJsonPtr& Answer) { AnswerPoints(Query, TVX_KIND_ANALOG, Answer); }
void QueryAccumPoints(const TJsonPtr& Query, const TJsonPtr& Answer) { AnswerPoints(Query, TVX_KIND_ACCUM, Answer); }
