// UAreaText: texts of the library's NUL-padded areas.
#include "telemetry/UAreaText.h"

#include <cstring>

std::string AreaText(const char* Area, size_t Size) { return std::string(Area, strnlen(Area, Size)); }

std::string TrimRightText(std::string_view Text) {
  size_t End = Text.size();
  while (End > 0 && static_cast<unsigned char>(Text[End - 1]) <= ' ') --End;
  return std::string(Text.substr(0, End));
}
