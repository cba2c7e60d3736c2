// UClassData: class data lines and the state texts drawn from them.
#include "telemetry/UClassData.h"

#include "telemetry/TelemetryTexts.h"
#include "telvex.h"

namespace {

char LowerAscii(char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; }

bool SameKey(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (LowerAscii(A[I]) != LowerAscii(B[I])) return false;
  return true;
}

}  // namespace

TClassData SplitClassData(std::string_view Text) {
  TClassData Lines;
  size_t Start = 0;
  while (Start < Text.size()) {
    size_t End = Text.find_first_of("\r\n", Start);
    if (End == std::string_view::npos) End = Text.size();
    if (End > Start) Lines.emplace_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  return Lines;
}

std::string ClassDataValue(const TClassData& Lines, std::string_view Key) {
  for (const std::string& Line : Lines) {
    const size_t Equals = Line.find('=');
    if (Equals != std::string::npos && SameKey(std::string_view(Line).substr(0, Equals), Key))
      return Line.substr(Equals + 1);
  }
  return {};
}

std::string GetStateText(const TClassData& ClassData, int32_t PointState, uint16_t AlarmFlag) {
  if (PointState != 0 && PointState != 1) return {};
  std::string Text = ClassDataValue(ClassData, PointState == 1 ? "1Txt" : "0Txt");
  if (!Text.empty()) return Text;
  const bool AlarmSignal = (AlarmFlag & TVX_FLAG_ALARM_SIGNAL) != 0;
  if (PointState == 1) return std::string(AlarmSignal ? TextAlarmSet : TextOn);
  return std::string(AlarmSignal ? TextAlarmCleared : TextOff);
}
