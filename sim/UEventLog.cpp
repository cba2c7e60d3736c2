#include "UEventLog.h"

#include <algorithm>

#include "protocol/UTvxTime.h"

uint32_t EventSeconds(const TServerEvent& Record) {
  TTvxDateTime Time;
  if (!ParseTvxTime(Record.TimeText, sizeof Record.TimeText, Time)) return 0;
  return static_cast<uint32_t>(TvxSecondsOf(Time));
}

int64_t TEventLog::Append(const TServerEvent& Record) {
  FEntries.push_back({Record, EventSeconds(Record)});
  if (FEntries.size() > Capacity) {
    FEntries.pop_front();
    ++FFront;
  }
  return Newest();
}

std::vector<TNumberedEvent> TEventLog::Page(TElix& Index, uint16_t TypeMask, uint32_t StartTime,
                                            uint32_t EndTime) const {
  std::vector<TNumberedEvent> Events;
  if (Index.EventNumber >= Newest()) return Events;
  const int64_t From = std::max(Index.EventNumber, FFront - 1) + 1;
  int64_t Number = From;
  for (; Number <= Newest() && Events.size() < PageSize; ++Number) {
    const TEntry& Entry = FEntries[static_cast<size_t>(Number - FFront)];
    if ((Entry.Record.Type & TypeMask) != 0 && Entry.UTime >= StartTime && Entry.UTime <= EndTime)
      Events.push_back({Number, Entry.Record});
  }
  if (Number > From) Index.EventNumber = Number - 1;
  return Events;
}

const TStoredMessage* TEventLog::FindMessage(uint32_t Index) const {
  const auto Found = FMessages.find(Index);
  return Found == FMessages.end() ? nullptr : &Found->second;
}
