#include "UPipeService.h"

#include <cstring>
#include <chrono>
#include <exception>
#include <thread>

#include "UHandlers.h"
#include "protocol/UTvxWire.h"

namespace {

// Longest wait for the rest of a request, or for the client to take an answer.
constexpr int IoTimeoutMs = 10000;

bool WriteAnswer(TTvxStream& Stream, const TTvxFrameHeader& Request, bool Succeeded, const TTvxWriter& Answer) {
  const std::vector<uint8_t>& Payload = Answer.Data();
  const TTvxFrameHeader Header{Succeeded ? static_cast<uint32_t>(Payload.size()) : 0u, Request.Op,
                               Succeeded ? TvxOk : TvxFailed, Request.Sequence};
  std::vector<uint8_t> Frame(sizeof Header + Header.Length);
  std::memcpy(Frame.data(), &Header, sizeof Header);
  if (Header.Length > 0) std::memcpy(Frame.data() + sizeof Header, Payload.data(), Payload.size());
  return Stream.WriteAll(Frame.data(), Frame.size(), IoTimeoutMs);
}

// One request and its answer; false when the link is over.
bool ServeOne(TSimulator& Sim, TTvxStream& Stream) {
  TTvxFrameHeader Header{};
  if (!Stream.ReadAll(&Header, sizeof Header, -1) || Header.Length > TvxMaxPayload) return false;
  std::vector<uint8_t> Payload(Header.Length);
  if (Header.Length > 0 && !Stream.ReadAll(Payload.data(), Payload.size(), IoTimeoutMs)) return false;
  const auto Op = static_cast<TTvxOp>(Header.Op);
  TTvxWriter Answer;
  bool Succeeded = false;
  if (const int32_t Delay = Sim.DelayMs.load(); Delay > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(Delay));
  if (!Sim.CountCall(Op)) {
    TTvxReader Request(Payload);
    Succeeded = HandleCall(Sim, Op, Request, Answer);
  }
  if (Succeeded && Answer.Data().size() > TvxMaxPayload) Succeeded = false;
  return WriteAnswer(Stream, Header, Succeeded, Answer);
}

}  // namespace

void ServePipeConnection(TSimulator& Sim, TTvxStream& Stream) {
  try {
    while (ServeOne(Sim, Stream)) {
    }
  } catch (const std::exception&) {
    // Out of memory for one request: the connection ends, the server goes on.
  }
}
