// UEventLog: the server's event log: records numbered with consecutive
// 64-bit numbers, the messages that records refer to by index, and the
// paging of the log by index, type mask and time span.
//
// An index carries the number of the last event before its position: an
// index of number N delivers events N + 1 on; the all-zero index starts
// before the first event. Used under the simulator's lock.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "telvex.h"

// A message kept by the server (TMessageBlock on the wire).
struct TStoredMessage {
  uint16_t Layout = 0x100;
  uint32_t Kind = 0;
  std::string Text1, Text2;  // ANSI
};

struct TNumberedEvent {
  int64_t Number;
  TServerEvent Record;
};

class TEventLog {
 public:
  // Events in one page at most.
  static constexpr size_t PageSize = 200;
  // Records kept; the oldest go first.
  static constexpr size_t Capacity = 500000;

  explicit TEventLog(int64_t FirstNumber = 1) : Front_(FirstNumber < 1 ? 1 : FirstNumber) {}

  // Appends a record; its number.
  int64_t Append(const TServerEvent& Record);
  // The number of the newest event; one less than the first number while
  // the log is empty.
  int64_t Newest() const { return Front_ + static_cast<int64_t>(Entries_.size()) - 1; }
  size_t Size() const { return Entries_.size(); }

  // The events after Index whose type is in TypeMask and whose time lies in
  // StartTime..EndTime (both inclusive), at most PageSize. Index moves to
  // the last event examined.
  std::vector<TNumberedEvent> Page(TElix& Index, uint16_t TypeMask, uint32_t StartTime, uint32_t EndTime) const;

  void KeepMessage(uint32_t Index, TStoredMessage Message) { Messages_[Index] = std::move(Message); }
  const TStoredMessage* FindMessage(uint32_t Index) const;

 private:
  struct TEntry {
    TServerEvent Record;
    uint32_t UTime;  // seconds of the time text; 0 when it is not a time
  };
  int64_t Front_;  // number of Entries_.front()
  std::deque<TEntry> Entries_;
  std::map<uint32_t, TStoredMessage> Messages_;
};

// Seconds of a record's time text (0 when it is not a valid time).
uint32_t EventSeconds(const TServerEvent& Record);
