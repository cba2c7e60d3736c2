#include "UDynamics.h"

#include <algorithm>
#include <cmath>
#include <limits>

uint64_t Mix(uint64_t Value) {
  Value += 0x9E3779B97F4A7C15ull;
  Value = (Value ^ (Value >> 30)) * 0xBF58476D1CE4E5B9ull;
  Value = (Value ^ (Value >> 27)) * 0x94D049BB133111EBull;
  return Value ^ (Value >> 31);
}

namespace {

int64_t FloorDiv(int64_t A, int64_t B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }

// The moment of the first value set by hand; no dynamics from then on.
int64_t FirstFixMs(const TPointBase& Point) {
  for (const TOverride& O : Point.Overrides)
    if (O.HasValue) return O.TimeMs;
  return std::numeric_limits<int64_t>::max();
}

// Slots of a status point's dynamics.
struct TSlots {
  int64_t Length, Phase;
  explicit TSlots(const TStatusPoint& P)
      : Length(static_cast<int64_t>(P.Period) * 1000), Phase(static_cast<int64_t>(Mix(P.Seed) % Length)) {}
  int64_t SlotAt(int64_t Ms) const { return FloorDiv(Ms + Phase, Length); }
  int64_t StartOf(int64_t Slot) const { return Slot * Length - Phase; }
};

int SlotBit(const TStatusPoint& P, int64_t Slot) {
  return static_cast<int>(Mix(P.Seed ^ (static_cast<uint64_t>(Slot) * 0x2545F4914F6CDD1Dull)) & 1);
}

// The last own change of a status point at or before Ms.
std::optional<int64_t> LastChange(const TStatusPoint& P, int64_t Ms) {
  if (P.Period == 0) return std::nullopt;
  const int64_t Until = std::min(Ms, FirstFixMs(P) - 1);
  const TSlots Slots(P);
  const int64_t Last = Slots.SlotAt(Until);
  for (int64_t K = Last; K > Last - 64; --K)
    if (SlotBit(P, K) != SlotBit(P, K - 1)) return Slots.StartOf(K);
  return std::nullopt;
}

// Base flags with the flag changes made up to Ms applied in order; Dynamic
// (when given) is a moment at which Bits were set by the point itself.
uint16_t FoldFlags(const TPointBase& Point, uint16_t Base, int64_t Ms, std::optional<int64_t> Dynamic,
                   uint16_t Bits) {
  uint16_t Flags = Base;
  bool DynamicDone = !Dynamic.has_value();
  for (const TOverride& O : Point.Overrides) {
    if (O.TimeMs > Ms) break;
    if (!DynamicDone && *Dynamic < O.TimeMs) {
      Flags |= Bits;
      DynamicDone = true;
    }
    Flags = static_cast<uint16_t>((Flags | O.SetFlags) & ~O.ClearFlags);
  }
  if (!DynamicDone) Flags |= Bits;
  return Flags;
}

constexpr double Pi = 3.14159265358979323846;

}  // namespace

std::optional<double> FixedValueAt(const TPointBase& Point, int64_t Ms) {
  std::optional<double> Value;
  for (const TOverride& O : Point.Overrides) {
    if (O.TimeMs > Ms) break;
    if (O.HasValue) Value = O.Value;
  }
  return Value;
}

int StatusStateAt(const TStatusPoint& P, int64_t Ms) {
  if (const auto Fixed = FixedValueAt(P, Ms)) return static_cast<int>(*Fixed);
  if (P.Period == 0) return P.State;
  const TSlots Slots(P);
  return P.State ^ SlotBit(P, Slots.SlotAt(Ms));
}

uint16_t StatusFlagsAt(const TStatusPoint& P, int64_t Ms) {
  const uint16_t Base = P.Flags | (P.AlarmSignal ? TVX_FLAG_ALARM_SIGNAL : 0);
  return FoldFlags(P, Base, Ms, LastChange(P, Ms), TVX_FLAG_UNACKED);
}

std::vector<int64_t> StatusChangesBetween(const TStatusPoint& P, int64_t FromMs, int64_t ToMs) {
  std::vector<int64_t> Changes;
  if (P.Period == 0) return Changes;
  ToMs = std::min(ToMs, FirstFixMs(P) - 1);
  const TSlots Slots(P);
  for (int64_t K = Slots.SlotAt(FromMs) + 1; K <= Slots.SlotAt(ToMs); ++K)
    if (SlotBit(P, K) != SlotBit(P, K - 1)) Changes.push_back(Slots.StartOf(K));
  return Changes;
}

float AnalogValueAt(const TAnalogPoint& P, int64_t Ms) {
  if (const auto Fixed = FixedValueAt(P, Ms)) return static_cast<float>(*Fixed);
  const int64_t Second = FloorDiv(Ms, 1000);
  const double Phase = static_cast<double>(Mix(P.Seed) % 100000) / 100000.0;
  const double Wave = std::sin(2 * Pi * (static_cast<double>(Second) / P.Period + Phase));
  const double Draw = static_cast<double>(Mix(P.Seed ^ static_cast<uint64_t>(FloorDiv(Second, 10))) >> 11) /
                      static_cast<double>(1ull << 53);
  return static_cast<float>(P.Base + P.Amplitude * Wave + P.Noise * (2 * Draw - 1));
}

bool AlarmActive(const TAnalogAlarm& Alarm, float Value) {
  return Alarm.Above ? Value > Alarm.Limit : Value < Alarm.Limit;
}

uint16_t AnalogAlarmStateAt(const TAnalogPoint& P, int64_t Ms) {
  const float Value = AnalogValueAt(P, Ms);
  uint16_t Highest = 0;
  for (const TAnalogAlarm& Alarm : P.Alarms)
    if (AlarmActive(Alarm, Value) && Alarm.Number > Highest) Highest = Alarm.Number;
  return Highest;
}

uint16_t AnalogFlagsAt(const TAnalogPoint& P, int64_t Ms) {
  const float Value = AnalogValueAt(P, Ms);
  uint16_t Base = P.Flags;
  for (const TAnalogAlarm& Alarm : P.Alarms)
    if (Alarm.Number >= 1 && Alarm.Number <= 4 && AlarmActive(Alarm, Value))
      Base |= static_cast<uint16_t>(TVX_FLAG_ALARM1 << (Alarm.Number - 1));
  return FoldFlags(P, Base, Ms, std::nullopt, 0);
}

namespace {
double HoursOfDay(int64_t Ms) { return static_cast<double>(Ms - FloorDiv(Ms, 86400000) * 86400000) / 3600000.0; }
}  // namespace

float AccumValueAt(const TAccumPoint& P, int64_t Ms) {
  if (const auto Fixed = FixedValueAt(P, Ms)) return static_cast<float>(*Fixed);
  return static_cast<float>(P.Start + P.Rate * HoursOfDay(FloorDiv(Ms, 1000) * 1000));
}

float AccumLastValueAt(const TAccumPoint& P, int64_t Ms) {
  if (const auto Fixed = FixedValueAt(P, Ms)) return static_cast<float>(*Fixed);
  return static_cast<float>(P.Start + P.Rate * std::floor(HoursOfDay(Ms)));
}

uint16_t AccumFlagsAt(const TAccumPoint& P, int64_t Ms) { return FoldFlags(P, P.Flags, Ms, std::nullopt, 0); }
