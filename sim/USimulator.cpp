#include "USimulator.h"

#include <chrono>

TSimulator::TSimulator(TModel TheModel) : Model(std::move(TheModel)), Log(Model.FirstEventNumber) {}

void TSimulator::GenerateUntil(int64_t NowMs) {
  if (NowMs <= GeneratedMs) return;  // the clock went back: wait until it passes again
  for (const TNewEvent& Event : EventsBetween(Model, GeneratedMs, NowMs)) Append(Event);
  GeneratedMs = NowMs;
}

int64_t TSimulator::Append(const TNewEvent& Event) {
  if (Event.Message) Log.KeepMessage(Event.Record.Data.MessageRef.Index, *Event.Message);
  return Log.Append(Event.Record);
}

bool TSimulator::CountCall(TTvxOp Op) {
  const size_t I = Index(Op);
  Calls_[I].fetch_add(1);
  int64_t Pending = FailNext_[I].load();
  while (Pending > 0)
    if (FailNext_[I].compare_exchange_weak(Pending, Pending - 1)) return true;
  return false;
}

void TSimulator::ResetCounters() {
  for (auto& Count : Calls_) Count.store(0);
}

int64_t MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
