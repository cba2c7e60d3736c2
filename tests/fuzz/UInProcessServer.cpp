#include "UInProcessServer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "UPipeService.h"
#include "protocol/UTvxTransport.h"
#include "protocol/UTvxWire.h"

namespace {

std::atomic<TSimulator*> Server{nullptr};

// The bytes of whole request frames as the simulator's side of the link
// reads them; its answers go to the client's side. Reading past the last
// frame gives the end of the stream, which ends the serving loop.
class TServerSide final : public TTvxStream {
 public:
  TServerSide(const std::vector<uint8_t>& Requests, std::vector<uint8_t>& Answers)
      : FRequests(Requests), FAnswers(Answers) {}

  int ReadSome(void* Buffer, size_t Size, int) override {
    const size_t Count = std::min(Size, FRequests.size() - FRead);
    if (Count > 0) std::memcpy(Buffer, FRequests.data() + FRead, Count);
    FRead += Count;
    return static_cast<int>(Count);
  }
  bool WriteAll(const void* Buffer, size_t Size, int) override {
    const auto* Bytes = static_cast<const uint8_t*>(Buffer);
    FAnswers.insert(FAnswers.end(), Bytes, Bytes + Size);
    return true;
  }
  bool HungUp() override { return false; }
  void Shutdown() override {}

 private:
  const std::vector<uint8_t>& FRequests;
  std::vector<uint8_t>& FAnswers;
  size_t FRead = 0;
};

// The library's side. A request may come in several writes: only whole
// frames are handed to the simulator, the rest waits for the next write.
class TClientSide final : public TTvxStream {
 public:
  explicit TClientSide(TSimulator& Sim) : FSim(Sim) {}

  int ReadSome(void* Buffer, size_t Size, int) override {
    std::lock_guard<std::mutex> Guard(FLock);
    // Nothing to read means no answer will ever come: the time-out at once.
    if (FClosed || FRead == FAnswers.size()) return -1;
    const size_t Count = std::min(Size, FAnswers.size() - FRead);
    std::memcpy(Buffer, FAnswers.data() + FRead, Count);
    FRead += Count;
    if (FRead == FAnswers.size()) {
      FAnswers.clear();
      FRead = 0;
    }
    return static_cast<int>(Count);
  }
  bool WriteAll(const void* Buffer, size_t Size, int) override {
    std::lock_guard<std::mutex> Guard(FLock);
    if (FClosed) return false;
    const auto* Bytes = static_cast<const uint8_t*>(Buffer);
    FPending.insert(FPending.end(), Bytes, Bytes + Size);
    ServeWholeFrames();
    return true;
  }
  bool HungUp() override { return FClosed.load(); }
  void Shutdown() override { FClosed = true; }

 private:
  // REQUIRES: FLock held.
  void ServeWholeFrames() {
    const size_t Whole = WholeFramesSize();
    if (Whole == 0) return;
    const std::vector<uint8_t> Requests(FPending.begin(), FPending.begin() + static_cast<std::ptrdiff_t>(Whole));
    FPending.erase(FPending.begin(), FPending.begin() + static_cast<std::ptrdiff_t>(Whole));
    TServerSide Peer(Requests, FAnswers);
    ServePipeConnection(FSim, Peer);
  }
  // The bytes of the whole frames at the front of FPending.
  size_t WholeFramesSize() const {
    size_t At = 0;
    TTvxFrameHeader Header{};
    while (FPending.size() - At >= sizeof Header) {
      std::memcpy(&Header, FPending.data() + At, sizeof Header);
      // An oversized frame is the simulator's to refuse.
      if (Header.Length > TvxMaxPayload) return FPending.size();
      const size_t Frame = sizeof Header + Header.Length;
      if (FPending.size() - At < Frame) break;
      At += Frame;
    }
    return At;
  }

  TSimulator& FSim;
  std::mutex FLock;
  std::atomic<bool> FClosed{false};
  std::vector<uint8_t> FPending;  // guarded by FLock
  std::vector<uint8_t> FAnswers;  // guarded by FLock
  size_t FRead = 0;               // guarded by FLock
};

}  // namespace

void SetInProcessServer(TSimulator* Sim) { Server = Sim; }

std::unique_ptr<TTvxStream> TvxConnectPipe(const std::string&, const std::string&, int) {
  TSimulator* Sim = Server.load();
  if (!Sim) return nullptr;
  return std::make_unique<TClientSide>(*Sim);
}
