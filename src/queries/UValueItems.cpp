#include "queries/UValueItems.h"

#include <cmath>

#include "platform/CodePage.h"
#include "telemetry/Telemetry.h"

bool ValueUsable(float Value, uint16_t Flags) {
  // Compared as a double: the float nearest 1e20 lies above it and must not
  // pass for a reading.
  return !std::isnan(Value) && !(static_cast<double>(Value) > 1e20) && Flags != TVX_FLAGS_NONE;
}

TJsonPtr ValueItem(const std::string& Value, const std::string& Letters) {
  TJsonPtr Item = NewObject();
  PutString(Item, u"v", AnsiToUtf16(Value));
  if (!Letters.empty()) PutString(Item, u"f", AnsiToUtf16(Letters));
  return Item;
}

TJsonPtr NoValueItem(bool WithLast) {
  TJsonPtr Item = NewObject();
  PutString(Item, u"v", u"No");
  if (WithLast) PutString(Item, u"l", u"No");
  return Item;
}
