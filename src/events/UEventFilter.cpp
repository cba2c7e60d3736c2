// UEventFilter: the importance and address tests of the event queries.
#include "events/UEventFilter.h"

std::string FilterAddrText(const TEventFilter& Filter) {
  if (Filter.FilterAddr.Point == 0) return {};
  return "#TC" + std::to_string(Filter.FilterAddr.Channel) + ":" + std::to_string(Filter.FilterAddr.Rtu) + ":" +
         std::to_string(Filter.FilterAddr.Point);
}

bool EventMatchesFilter(const TEventLogRecord& Record, const TEventFilter& Filter, const std::string& AddrText) {
  if (Filter.ImpMask != 0) {
    // Levels the table has no entry for read as the highest, never beyond it.
    const uint32_t Bit = ImportanceBits[Record.Importance >= 0 && Record.Importance <= 3 ? Record.Importance : 3];
    if ((Bit & Filter.ImpMask) != Bit) return false;
  }
  return Filter.FilterAddr.Point == 0 || Record.AddrText == AddrText;
}
