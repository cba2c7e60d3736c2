// UMessageEvents: texts of the message events.
#include "events/UMessageEvents.h"

#include <cstddef>
#include <cstring>

#include "telemetry/TelemetryTexts.h"
#include "telemetry/UAreaText.h"

namespace {

constexpr uint16_t MessageLayoutShown = 0x100;
constexpr uint32_t MessageTwoLines = 0x66;

// Fills Name and AddrText from a message of Size bytes at Message (kind,
// first text, second text); false when it cannot be shown. Texts never
// read beyond the Size bytes.
bool ShowMessage(uint16_t Layout, const uint8_t* Message, size_t Size, TEventLogRecord& Record) {
  uint32_t Kind = 0;
  if (Layout != MessageLayoutShown || Size < sizeof Kind) return false;
  std::memcpy(&Kind, Message, sizeof Kind);
  const char* Texts = reinterpret_cast<const char*>(Message + sizeof Kind);
  const size_t TextsSize = Size - sizeof Kind;
  const std::string First = AreaText(Texts, TextsSize);
  const std::string Second =
      First.size() < TextsSize ? AreaText(Texts + First.size() + 1, TextsSize - First.size() - 1) : "";
  // The second text of another layout names the message's source, which
  // no answer shows.
  Record.Name = (Kind & 0xFFFF) == MessageTwoLines ? First + "\r\n" + Second : First;
  Record.AddrText = "#MSG";
  if (Kind > 0xFFFF) Record.AddrText += std::to_string(Kind >> 24) + ":" + std::to_string((Kind >> 16) & 0xFF) + ":";
  Record.TypeText = TextMessage;
  return true;
}

}  // namespace

bool DecodeMessage(const TServerEvent& Event, IEventLookup&, TEventLogRecord& Record) {
  const uint16_t Layout = static_cast<uint16_t>(Event.Channel | (Event.Rtu << 8));
  return ShowMessage(Layout, Event.Data.Raw, sizeof Event.Data.Raw, Record);
}

bool DecodeMessageRef(const TServerEvent& Event, IEventLookup& Lookup, TEventLogRecord& Record) {
  const std::optional<TKeptMessage> Message = Lookup.KeptMessage(Event);
  return Message && ShowMessage(Message->Layout, Message->Bytes.data(), Message->Bytes.size(), Record);
}
