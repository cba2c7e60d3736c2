// Exported event log calls: the current index, pages of events, messages
// kept by the server.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "client/UTvxConnection.h"
#include "telvex.h"

namespace {

// One event of a page answer: its number, then the record.
constexpr size_t WireEventSize = sizeof(int64_t) + sizeof(TServerEvent);

// Builds the page as one block of linked nodes, so that one tvxFreeMemory
// of the first node releases it all.
TEventNode* BuildPage(const uint8_t* Events, uint32_t Count) {
  auto* Nodes = static_cast<TEventNode*>(std::calloc(Count, sizeof(TEventNode)));
  if (Nodes == nullptr) return nullptr;
  for (uint32_t I = 0; I < Count; ++I) {
    const uint8_t* At = Events + I * WireEventSize;
    std::memcpy(&Nodes[I].EventNumber, At, sizeof(int64_t));
    std::memcpy(&Nodes[I].Event, At + sizeof(int64_t), sizeof(TServerEvent));
    Nodes[I].Next = I + 1 < Count ? &Nodes[I + 1] : nullptr;
  }
  return Nodes;
}

}  // namespace

extern "C" {

TVX_API int32_t tvxGetCurrentElix(int32_t Handle, TElix* Index) {
  if (Index == nullptr) return 0;
  std::vector<uint8_t> Answer;
  const bool Ok = CallHandle(Handle, TTvxOp::GetCurrentElix, TTvxWriter(), Answer) && Answer.size() == sizeof(TElix);
  if (Ok)
    std::memcpy(Index, Answer.data(), sizeof(TElix));
  else
    std::memset(Index, 0, sizeof(TElix));
  return Ok ? 1 : 0;
}

TVX_API TEventNode* tvxEventLogByElix(int32_t Handle, TElix* Index, uint16_t TypeMask, uint32_t StartTime,
                                      uint32_t EndTime) {
  if (Index == nullptr) return nullptr;
  TTvxWriter Request;
  Request.Put(*Index).Put(TypeMask).Put(StartTime).Put(EndTime);
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, TTvxOp::EventLogByElix, Request, Answer)) return nullptr;
  TTvxReader Reader(Answer);
  const TElix Next = Reader.Get<TElix>();
  const uint32_t Count = Reader.Get<uint32_t>();
  const uint8_t* Events = Reader.Take(static_cast<size_t>(Count) * WireEventSize);
  if (!Reader.Done()) return nullptr;
  TEventNode* Page = Count > 0 ? BuildPage(Events, Count) : nullptr;
  if (Count == 0 || Page != nullptr) *Index = Next;  // a page lost to memory is read again
  return Page;
}

TVX_API TMessageBlock* tvxEventLogByIndex(int32_t Handle, uint32_t Index, int32_t UTime, int32_t* Size) {
  TTvxWriter Request;
  Request.Put(Index).Put(UTime);
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, TTvxOp::EventLogByIndex, Request, Answer)) return nullptr;
  TTvxReader Reader(Answer);
  const uint16_t Layout = Reader.Get<uint16_t>();
  const std::string Message = Reader.GetText();  // kind and both texts
  if (!Reader.Done() || Message.size() < sizeof(uint32_t) || Message.size() > 0xFFFF) return nullptr;
  // The declared record ends inside the texts; the block holds them all.
  const size_t BlockSize = std::max(sizeof(TMessageBlock), offsetof(TMessageBlock, Message) + Message.size() + 1);
  auto* Block = static_cast<TMessageBlock*>(std::calloc(1, BlockSize));
  if (Block == nullptr) return nullptr;
  Block->Index = Index;
  Block->UTime = UTime;
  Block->Layout = Layout;
  Block->Length = static_cast<uint16_t>(Message.size());
  std::memcpy(reinterpret_cast<uint8_t*>(Block) + offsetof(TMessageBlock, Message), Message.data(), Message.size());
  if (Size != nullptr) *Size = static_cast<int32_t>(BlockSize);
  return Block;
}

}  // extern "C"
