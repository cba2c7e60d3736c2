#include "queries/UUnits.h"

std::string UnitsText(const char (&Units)[8]) {
  std::size_t Length = 0;
  while (Length < sizeof Units && Units[Length] != ' ' && Units[Length] != '\0') ++Length;
  return std::string(Units, Length);
}

int UnitsDecimals(const char (&Units)[8]) {
  // C++ division truncates toward zero, which maps bytes 0 to 6 to 0 too.
  return (static_cast<int>(static_cast<unsigned char>(Units[7])) - 7) / 16;
}
