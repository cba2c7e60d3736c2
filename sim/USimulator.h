// USimulator: the state of telvexd shared by the pipe connections, the
// admin interface and the clock: the model, the event log, and the faults
// that the admin interface asks for.
//
// Model, Log and GeneratedMs are used only while holding Lock. The fault
// settings and call counters are atomic and may be read and changed from
// any thread without it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "UEventLog.h"
#include "UEventSource.h"
#include "UModel.h"
#include "protocol/UTvxWire.h"

class TSimulator {
 public:
  explicit TSimulator(TModel Model);

  std::mutex Lock;
  TModel Model;
  TEventLog Log;
  int64_t GeneratedMs = 0;  // the network's own events are in the log up to here

  // REQUIRES: Lock held. Appends the network's own events up to NowMs.
  void GenerateUntil(int64_t NowMs);
  // REQUIRES: Lock held. Appends one event (and keeps its message).
  int64_t Append(const TNewEvent& Event);

  // ---- faults and counters (no lock) ----
  // Counts a call of Op; true when it is to fail (a fault is pending).
  bool CountCall(TTvxOp Op);
  void FailNext(TTvxOp Op, int64_t Count) { FailNext_[Index(Op)].store(Count); }
  int64_t Calls(TTvxOp Op) const { return Calls_[Index(Op)].load(); }
  void ResetCounters();

  std::atomic<bool> LogUnusable{false};
  std::atomic<int64_t> RefuseUntilMs{0};
  std::atomic<int32_t> DelayMs{0};  // every call waits this long before it is answered  // new connections are closed until then (monotonic ms)

 private:
  static size_t Index(TTvxOp Op) { return static_cast<size_t>(Op) < Ops ? static_cast<size_t>(Op) : 0; }
  static constexpr size_t Ops = static_cast<size_t>(TTvxOp::Count_);
  std::array<std::atomic<int64_t>, Ops> FailNext_{};
  std::array<std::atomic<int64_t>, Ops> Calls_{};
};

// Monotonic milliseconds, for time-outs that must not follow the wall clock.
int64_t MonotonicMs();
