// UEventSource: the events that the simulated network produces by itself
// in a span of time: status changes of points with dynamics, analog values
// crossing alarm limits (checked every 10 seconds), and every 5 minutes one
// of the operators' and the system's own events in turn (controls,
// acknowledgements, values set by hand, class field events, messages in
// the record and kept by index, an event of an unknown type).
//
// A pure function of the model and the span, so that the history made at
// start and the live events that follow form one sequence. Callers hold
// the simulator's lock.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "UEventLog.h"
#include "UModel.h"

struct TNewEvent {
  int64_t TimeMs;
  TServerEvent Record;
  // A message that the record refers to by index.
  std::optional<TStoredMessage> Message;
};

// The events of (FromMs, ToMs], in time order.
std::vector<TNewEvent> EventsBetween(const TModel& Model, int64_t FromMs, int64_t ToMs);

// A zeroed record with its time text in the RTU's form.
TServerEvent NewRecord(int64_t TimeMs, TRtu::TTimeForm Form, uint16_t Type, uint16_t Importance,
                       const TTvxAddress& Address);
// The status change record of Point at TimeMs (its state then).
TServerEvent StatusChangeRecord(const TRtu& Rtu, const TTvxAddress& Address, const TStatusPoint& Point,
                                int64_t TimeMs);
// Copies Text into a fixed field of Size bytes, NUL-padded and cut.
void PutField(char* Field, size_t Size, const std::string& Text);
