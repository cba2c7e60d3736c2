// UDynamics: the value and flags of every point as a function of the point
// and the moment (milliseconds of the library's local time scale), so that
// the retrospective of any span agrees with what live reads returned then.
//
// Status points change state at the starts of slots of Period seconds
// (each slot's state drawn from the point's seed); analog values follow a
// seeded wave with steps of noise every 10 seconds; accumulators grow
// through the day from a start value. A value set by hand replaces the
// dynamics from its moment on; flags set and cleared apply from theirs.
// A status change sets the "not acknowledged" flag until it is cleared.
//
// Pure functions of the model; callers hold the simulator's lock.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "UModel.h"

// A 64-bit mix of a value (splitmix64), the seed of every draw.
uint64_t Mix(uint64_t Value);

int StatusStateAt(const TStatusPoint& Point, int64_t Ms);
uint16_t StatusFlagsAt(const TStatusPoint& Point, int64_t Ms);
// Moments of the point's own state changes in (FromMs, ToMs], in order.
std::vector<int64_t> StatusChangesBetween(const TStatusPoint& Point, int64_t FromMs, int64_t ToMs);

float AnalogValueAt(const TAnalogPoint& Point, int64_t Ms);
bool AlarmActive(const TAnalogAlarm& Alarm, float Value);
uint16_t AnalogFlagsAt(const TAnalogPoint& Point, int64_t Ms);
// Number of the highest active alarm, 0 for none.
uint16_t AnalogAlarmStateAt(const TAnalogPoint& Point, int64_t Ms);

float AccumValueAt(const TAccumPoint& Point, int64_t Ms);
// The value at the start of the current hour.
float AccumLastValueAt(const TAccumPoint& Point, int64_t Ms);
uint16_t AccumFlagsAt(const TAccumPoint& Point, int64_t Ms);

// The value set by hand that holds at Ms, if any.
std::optional<double> FixedValueAt(const TPointBase& Point, int64_t Ms);
