// UClassData: the class data of a status point (lines key=value that the
// server keeps per class of point) and the texts of a status point's states
// that come from it. Pure functions, safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Class data or properties: lines of the form key=value.
using TClassData = std::vector<std::string>;

// The lines of Text, split at CR, LF or CR LF; empty lines left out.
TClassData SplitClassData(std::string_view Text);

// The text after the first "=" of the first line whose key equals Key,
// letters A to Z compared without regard to case; "" when no line has it.
std::string ClassDataValue(const TClassData& Lines, std::string_view Key);

// The text of state PointState of a status point: the class text "1Txt" or
// "0Txt" when not empty, else the fixed text for alarm signals (AlarmFlag
// has 0x0800) or other points; "" for any state but 0 and 1.
std::string GetStateText(const TClassData& ClassData, int32_t PointState, uint16_t AlarmFlag);
