// The current index, pages of the event log, messages kept by index.
#include <cstring>
#include <mutex>

#include "UHandlers.h"
#include "protocol/UTvxTime.h"

bool HandleEventLog(TSimulator& Sim, TTvxOp Op, TTvxReader& Request, TTvxWriter& Answer) {
  if (Sim.LogUnusable.load()) return false;
  switch (Op) {
    case TTvxOp::GetCurrentElix: {
      if (!Request.Done()) return false;
      TElix Index{};
      std::lock_guard<std::mutex> Guard(Sim.Lock);
      Sim.GenerateUntil(LocalNowMs());
      Index.EventNumber = Sim.Log.Newest();
      Answer.Put(Index);
      return true;
    }
    case TTvxOp::EventLogByElix: {
      TElix Index = Request.Get<TElix>();
      const uint16_t Mask = Request.Get<uint16_t>();
      const uint32_t Start = Request.Get<uint32_t>();
      const uint32_t End = Request.Get<uint32_t>();
      if (!Request.Done()) return false;
      std::lock_guard<std::mutex> Guard(Sim.Lock);
      Sim.GenerateUntil(LocalNowMs());
      const std::vector<TNumberedEvent> Page = Sim.Log.Page(Index, Mask, Start, End);
      Answer.Put(Index).Put(static_cast<uint32_t>(Page.size()));
      for (const TNumberedEvent& Event : Page) Answer.Put(Event.Number).Put(Event.Record);
      return true;
    }
    case TTvxOp::EventLogByIndex: {
      const uint32_t Index = Request.Get<uint32_t>();
      Request.Get<int32_t>();  // the referring event's time: messages are unique by index here
      if (!Request.Done()) return false;
      std::lock_guard<std::mutex> Guard(Sim.Lock);
      const TStoredMessage* Message = Sim.Log.FindMessage(Index);
      if (!Message) return false;
      TTvxWriter Body;
      Body.Put(Message->Kind).PutBytes(Message->Text1.c_str(), Message->Text1.size() + 1);
      Body.PutBytes(Message->Text2.c_str(), Message->Text2.size() + 1);
      Answer.Put(Message->Layout).PutText(std::string(Body.Data().begin(), Body.Data().end()));
      return true;
    }
    default:
      return false;
  }
}
