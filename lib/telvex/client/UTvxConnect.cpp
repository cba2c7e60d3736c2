// Exported connection calls: connect, test, disconnect, server time.
#include <cstring>

#include "client/UTvxConnection.h"
#include "telvex.h"

namespace {
// How long a connect waits for a busy pipe.
constexpr int ConnectTimeoutMs = 2000;
}  // namespace

extern "C" {

TVX_API int32_t tvxConnect(const char* Machine, const char* Pipe, int32_t, int32_t, int32_t) {
  try {
    auto Stream = TvxConnectPipe(Machine ? Machine : "", Pipe ? Pipe : "", ConnectTimeoutMs);
    if (!Stream) return 0;
    auto Connection = std::make_shared<TTvxConnection>(std::move(Stream));
    TTvxWriter Hello;
    Hello.Put(TvxProtocolMagic);
    std::vector<uint8_t> Answer;
    if (!Connection->Call(TTvxOp::Hello, Hello.Data(), Answer)) return 0;
    TTvxReader Reader(Answer);
    if (Reader.Get<uint32_t>() != TvxProtocolMagic || !Reader.Done()) return 0;
    return AddConnection(std::move(Connection));
  } catch (const std::exception&) {
    return 0;
  }
}

TVX_API int32_t tvxIsConnected(int32_t Handle) {
  const auto Connection = FindConnection(Handle);
  if (!Connection) return 0;
  if (Connection->Alive()) return 1;
  // A lost connection is good for nothing more, and a caller may drop its
  // handle without tvxDisconnect: its stream is released now, else every
  // outage would keep a descriptor open for good. A call still running on
  // it holds the connection until it returns.
  RemoveConnection(Handle);
  return 0;
}

TVX_API void tvxDisconnect(int32_t Handle) {
  if (const auto Connection = RemoveConnection(Handle)) Connection->Close();
}

TVX_API int32_t tvxSystemTime(int32_t Handle, char* Buffer, int32_t) {
  std::vector<uint8_t> Answer;
  if (Buffer == nullptr || !CallHandle(Handle, TTvxOp::SystemTime, TTvxWriter(), Answer)) return 0;
  TTvxReader Reader(Answer);
  const std::string Text = Reader.GetText();
  if (!Reader.Done() || Text.size() > 80) return 0;
  std::memcpy(Buffer, Text.c_str(), Text.size() + 1);
  return 1;
}

}  // extern "C"
