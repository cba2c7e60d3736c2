#include "common/UNumberText.h"

#include <charconv>
#include <cmath>

#include "common/UCommon.h"
#include "platform/Regional.h"

std::string FixedText(double Value, int Decimals) {
  const bool Point = Config.DecimalSeparator == TDecimalSeparator::Point;
  return FixedText(Value, Decimals, Point ? std::string(".") : RegionalSettings().DecimalSeparator);
}

std::string FixedText(double Value, int Decimals, const std::string& DecimalSeparator) {
  if (std::isnan(Value)) return "nan";
  if (std::isinf(Value)) return Value < 0 ? "-inf" : "inf";
  if (Decimals < 0) Decimals = 0;
  // The largest double has 309 integer digits; the decimals of a reading
  // are at most 15, which leaves ample room.
  char Buffer[400];
  std::to_chars_result Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::fixed, Decimals);
  if (Result.ec != std::errc{}) return "?";
  std::string Text(Buffer, Result.ptr);
  const std::size_t Point = Text.find('.');
  if (Point != std::string::npos) Text.replace(Point, 1, DecimalSeparator);
  return Text;
}
