// UServerLookup: point names, class data and kept messages from the server.
#include "events/UServerLookup.h"

#include <cstddef>
#include <memory>

#include "telemetry/TelemetryDynam.h"
#include "telemetry/UAreaText.h"
#include "telemetry/UServer.h"

namespace {

// Releases a block handed out by the library.
struct TLibraryBlockFree {
  void operator()(void* Block) const { tvxFreeMemory(Block); }
};
template <class T>
using TLibraryBlock = std::unique_ptr<T, TLibraryBlockFree>;

// The name of a description loaded for Point.
std::string LoadedName(TDynam&& Dynam, const TTvxAddress& Point) {
  Dynam.Channel = Point.Channel;
  Dynam.Rtu = Point.Rtu;
  Dynam.Point = Point.Point;
  Dynam.Load();
  return AreaText(Dynam.ObjectName, sizeof Dynam.ObjectName);
}

}  // namespace

std::string TServerLookup::StatusName(const TTvxAddress& Point) { return LoadedName(TStatusDynam{}, Point); }

std::string TServerLookup::AnalogName(const TTvxAddress& Point) { return LoadedName(TAnalogDynam{}, Point); }

TClassData TServerLookup::StatusClassData(const TTvxAddress& Point) {
  TLibraryBlock<TStatusClassData> Block;
  {
    TMutexLock Guard(ServerLock);
    Block.reset(tvxGetStatusClassData(ServerHandle, 1, Point.Channel, Point.Rtu, Point.Point));
  }
  if (!Block || !Block->Text) return {};
  return SplitClassData(AreaText(Block->Text, Block->Length));
}

std::string TServerLookup::AlarmName(const TTvxAddress& Point, uint16_t Number) {
  char Name[33] = {};
  GetAlarmName(Point.Channel, Point.Rtu, Point.Point, Number, Name);
  return AreaText(Name, sizeof Name - 1);
}

// The message starts 12 bytes into the block; its layout code is the
// 16-bit value at offset 8.
std::optional<TKeptMessage> TServerLookup::KeptMessage(const TServerEvent& Event) {
  const int32_t Time = String2Utime(&Event);
  int32_t Size = 0;
  TLibraryBlock<TMessageBlock> Block;
  {
    TMutexLock Guard(ServerLock);
    Block.reset(tvxEventLogByIndex(ServerHandle, Event.Data.MessageRef.Index, Time, &Size));
  }
  constexpr size_t MessageAt = offsetof(TMessageBlock, Message);
  if (!Block || Size < 0 || static_cast<size_t>(Size) <= MessageAt) return std::nullopt;
  const uint8_t* Bytes = reinterpret_cast<const uint8_t*>(Block.get());
  return TKeptMessage{static_cast<uint16_t>(Bytes[8] | (Bytes[9] << 8)),
                        std::vector<uint8_t>(Bytes + MessageAt, Bytes + Size)};
}
