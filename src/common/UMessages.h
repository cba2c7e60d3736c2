// UMessages: the one table of the texts with which the gateway refuses or
// fails a query, as the client receives them in "error" (ANSI). The
// handlers and the session raise them by name; the fuzz target and the
// protocol document's test read the whole table, and the soak
// (tests/soak) reads this file's entries as written: keep each on a line of its own,
// {TMessage::Name, "text"} or {TMessage::Name, "text", true}.
//
// Constant data: any thread.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

enum class TMessage {
  // The session and the envelope
  GateClosing,
  NoData,
  QueryTooLong,
  InvalidFormat,
  ServerDisconnected,
  QueryTypeMissing,
  QueryTypeUnknown,
  // Points, lists and spans
  TsInvalid,
  TiInvalid,
  ChannelInvalid,
  RtuInvalid,
  FromInvalid,
  TooManyTs,
  TooManyTi,
  TooManyTii,
  TooManyPoints,
  TooManyRetroTi,
  StartInvalid,
  EndInvalid,
  StartAfterEnd,
  StepInvalid,
  RetroTooLarge,
  // Events
  EventsNotSupported,
  EventsQuantityInvalid,
  EventIdInvalid,
  EventsTooLarge,
  EventIndexUnavailable,
  AddressFilterInvalid,
  ImportanceFilterInvalid,
  TypeFilterInvalid,
  EventTimeInvalid,
  // Commands
  ValueInvalid,
  CommandFailure,
  CommandEventNotAdded,
  CommandsNotSupported,
  HashInvalid,
  MacInvalid,
  TimestampInvalid,
  IncorrectHash,
  HashNotInitialized,
  Count
};

struct TMessageText {
  TMessage Id;
  std::string_view Text;
  // True when the message goes out followed by a variable part (the text
  // then ends in the blank before it).
  bool Formatted = false;
};

// Every message, in the order of TMessage.
inline constexpr TMessageText MessageTable[] = {
    {TMessage::GateClosing, "Gate is closing now"},
    {TMessage::NoData, "No data"},
    {TMessage::QueryTooLong, "Query too long"},
    {TMessage::InvalidFormat, "ERROR: invalid format"},
    {TMessage::ServerDisconnected, "Server is disconnected"},
    {TMessage::QueryTypeMissing, "ERROR: query type missing"},
    {TMessage::QueryTypeUnknown, "ERROR: query type unknown"},
    {TMessage::TsInvalid, "ERROR: TS missing or invalid"},
    {TMessage::TiInvalid, "ERROR: TI missing or invalid"},
    {TMessage::ChannelInvalid, "ERROR: channel ID missing or invalid"},
    {TMessage::RtuInvalid, "ERROR: RTU ID missing or invalid"},
    {TMessage::FromInvalid, "ERROR: invalid starting point ID"},
    {TMessage::TooManyTs, "ERROR: too many TS in query"},
    {TMessage::TooManyTi, "ERROR: too many TI in query"},
    {TMessage::TooManyTii, "ERROR: too many TII in query"},
    {TMessage::TooManyPoints, "ERROR: too many points in query"},
    {TMessage::TooManyRetroTi, "ERROR: too many TI in retrospective"},
    {TMessage::StartInvalid, "ERROR: start time missing or invalid"},
    {TMessage::EndInvalid, "ERROR: end time missing or invalid"},
    {TMessage::StartAfterEnd, "ERROR: invalid start-end times"},
    {TMessage::StepInvalid, "ERROR: step missing or invalid"},
    {TMessage::RetroTooLarge, "ERROR: retrospective is too large"},
    {TMessage::EventsNotSupported, "Events not supported by server"},
    {TMessage::EventsQuantityInvalid, "ERROR: events quantity missing or invalid"},
    {TMessage::EventIdInvalid, "ERROR: event ID is invalid"},
    {TMessage::EventsTooLarge, "ERROR: events archive is too large"},
    {TMessage::EventIndexUnavailable, "ERROR: current event index unavailable"},
    {TMessage::AddressFilterInvalid, "ERROR: invalid address filter"},
    {TMessage::ImportanceFilterInvalid, "ERROR: invalid importance filter"},
    {TMessage::TypeFilterInvalid, "ERROR: invalid type filter"},
    {TMessage::EventTimeInvalid, "ERROR: invalid event time ", true},
    {TMessage::ValueInvalid, "ERROR: value missing or invalid"},
    {TMessage::CommandFailure, "ERROR: command failure"},
    {TMessage::CommandEventNotAdded, "ERROR: command event not added"},
    {TMessage::CommandsNotSupported, "Commands not supported"},
    {TMessage::HashInvalid, "ERROR: hash missing or invalid"},
    {TMessage::MacInvalid, "ERROR: mac missing or invalid"},
    {TMessage::TimestampInvalid, "ERROR: timestamp missing or invalid"},
    {TMessage::IncorrectHash, "ERROR: incorrect hash"},
    // Raised by the hash (src/crypto), which lies below this table and
    // keeps its own copy of the text; listed for the readers of the table.
    {TMessage::HashNotInitialized, "Hash not initialized"},
};

static_assert(std::size(MessageTable) == static_cast<std::size_t>(TMessage::Count), "one text per message");
static_assert(
    [] {
      for (std::size_t Index = 0; Index < std::size(MessageTable); ++Index)
        if (MessageTable[Index].Id != static_cast<TMessage>(Index)) return false;
      return true;
    }(),
    "the table in the order of TMessage");

// The text of Id (for a formatted message, the part before the variable).
// Every text is a literal, so its data ends with a NUL.
constexpr const char* MessageText(TMessage Id) { return MessageTable[static_cast<std::size_t>(Id)].Text.data(); }
