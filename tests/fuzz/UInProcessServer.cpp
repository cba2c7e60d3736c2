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
      : Requests_(Requests), Answers_(Answers) {}

  int ReadSome(void* Buffer, size_t Size, int) override {
    const size_t Count = std::min(Size, Requests_.size() - Read_);
    if (Count > 0) std::memcpy(Buffer, Requests_.data() + Read_, Count);
    Read_ += Count;
    return static_cast<int>(Count);
  }
  bool WriteAll(const void* Buffer, size_t Size, int) override {
    const auto* Bytes = static_cast<const uint8_t*>(Buffer);
    Answers_.insert(Answers_.end(), Bytes, Bytes + Size);
    return true;
  }
  bool HungUp() override { return false; }
  void Shutdown() override {}

 private:
  const std::vector<uint8_t>& Requests_;
  std::vector<uint8_t>& Answers_;
  size_t Read_ = 0;
};

// The library's side. A request may come in several writes: only whole
// frames are handed to the simulator, the rest waits for the next write.
class TClientSide final : public TTvxStream {
 public:
  explicit TClientSide(TSimulator& Sim) : Sim_(Sim) {}

  int ReadSome(void* Buffer, size_t Size, int) override {
    std::lock_guard<std::mutex> Guard(Lock_);
    // Nothing to read means no answer will ever come: the time-out at once.
    if (Closed_ || Read_ == Answers_.size()) return -1;
    const size_t Count = std::min(Size, Answers_.size() - Read_);
    std::memcpy(Buffer, Answers_.data() + Read_, Count);
    Read_ += Count;
    if (Read_ == Answers_.size()) {
      Answers_.clear();
      Read_ = 0;
    }
    return static_cast<int>(Count);
  }
  bool WriteAll(const void* Buffer, size_t Size, int) override {
    std::lock_guard<std::mutex> Guard(Lock_);
    if (Closed_) return false;
    const auto* Bytes = static_cast<const uint8_t*>(Buffer);
    Pending_.insert(Pending_.end(), Bytes, Bytes + Size);
    ServeWholeFrames();
    return true;
  }
  bool HungUp() override { return Closed_.load(); }
  void Shutdown() override { Closed_ = true; }

 private:
  // REQUIRES: Lock_ held.
  void ServeWholeFrames() {
    const size_t Whole = WholeFramesSize();
    if (Whole == 0) return;
    const std::vector<uint8_t> Requests(Pending_.begin(), Pending_.begin() + static_cast<std::ptrdiff_t>(Whole));
    Pending_.erase(Pending_.begin(), Pending_.begin() + static_cast<std::ptrdiff_t>(Whole));
    TServerSide Peer(Requests, Answers_);
    ServePipeConnection(Sim_, Peer);
  }
  // The bytes of the whole frames at the front of Pending_.
  size_t WholeFramesSize() const {
    size_t At = 0;
    TTvxFrameHeader Header{};
    while (Pending_.size() - At >= sizeof Header) {
      std::memcpy(&Header, Pending_.data() + At, sizeof Header);
      // An oversized frame is the simulator's to refuse.
      if (Header.Length > TvxMaxPayload) return Pending_.size();
      const size_t Frame = sizeof Header + Header.Length;
      if (Pending_.size() - At < Frame) break;
      At += Frame;
    }
    return At;
  }

  TSimulator& Sim_;
  std::mutex Lock_;
  std::atomic<bool> Closed_{false};
  std::vector<uint8_t> Pending_;  // guarded by Lock_
  std::vector<uint8_t> Answers_;  // guarded by Lock_
  size_t Read_ = 0;               // guarded by Lock_
};

}  // namespace

void SetInProcessServer(TSimulator* Sim) { Server = Sim; }

std::unique_ptr<TTvxStream> TvxConnectPipe(const std::string&, const std::string&, int) {
  TSimulator* Sim = Server.load();
  if (!Sim) return nullptr;
  return std::make_unique<TClientSide>(*Sim);
}
