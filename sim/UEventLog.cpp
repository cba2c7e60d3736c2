#include "UEventLog.h"

#include <algorithm>

#include "protocol/UTvxTime.h"

uint32_t EventSeconds(const TServerEvent& Record) {
  TTvxDateTime Time;
  if (!ParseTvxTime(Record.TimeText, sizeof Record.TimeText, Time)) return 0;
  return static_cast<uint32_t>(TvxSecondsOf(Time));
}

int64_t TEventLog::Append(const TServerEvent& Record) {
  Entries_.push_back({Record, EventSeconds(Record)});
  if (Entries_.size() > Capacity) {
    Entries_.pop_front();
    ++Front_;
  }
  return Newest();
}

std::vector<TNumberedEvent> TEventLog::Page(TElix& Index, uint16_t TypeMask, uint32_t StartTime,
                                            uint32_t EndTime) const {
  std::vector<TNumberedEvent> Events;
  if (Index.EventNumber >= Newest()) return Events;
  const int64_t From = std::max(Index.EventNumber, Front_ - 1) + 1;
  int64_t Number = From;
  for (; Number <= Newest() && Events.size() < PageSize; ++Number) {
    const TEntry& Entry = Entries_[static_cast<size_t>(Number - Front_)];
    if ((Entry.Record.Type & TypeMask) != 0 && Entry.UTime >= StartTime && Entry.UTime <= EndTime)
      Events.push_back({Number, Entry.Record});
  }
  if (Number > From) Index.EventNumber = Number - 1;
  return Events;
}

const TStoredMessage* TEventLog::FindMessage(uint32_t Index) const {
  const auto Found = Messages_.find(Index);
  return Found == Messages_.end() ? nullptr : &Found->second;
}
