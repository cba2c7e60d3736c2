#include "client/UTvxConnection.h"

#include <cstdint>
#include <cstring>
#include <map>

#include "telvex.h"

bool TTvxConnection::Call(TTvxOp Op, const std::vector<uint8_t>& Request, std::vector<uint8_t>& Answer) {
  std::lock_guard<std::mutex> Guard(Lock_);
  if (Broken_.load()) return false;
  bool Succeeded = false;
  if (!Exchange(Op, Request, Answer, Succeeded)) {
    Broken_.store(true);
    Stream_->Shutdown();
    return false;
  }
  return Succeeded;
}

bool TTvxConnection::Exchange(TTvxOp Op, const std::vector<uint8_t>& Request, std::vector<uint8_t>& Answer,
                              bool& Succeeded) {
  const TTvxFrameHeader Out{static_cast<uint32_t>(Request.size()), static_cast<uint16_t>(Op), TvxOk, ++Sequence_};
  std::vector<uint8_t> Frame(sizeof Out + Request.size());
  std::memcpy(Frame.data(), &Out, sizeof Out);
  if (!Request.empty()) std::memcpy(Frame.data() + sizeof Out, Request.data(), Request.size());
  if (!Stream_->WriteAll(Frame.data(), Frame.size(), TVX_CALL_TIMEOUT_MS)) return false;

  TTvxFrameHeader In{};
  if (!Stream_->ReadAll(&In, sizeof In, TVX_CALL_TIMEOUT_MS)) return false;
  if (In.Op != Out.Op || In.Sequence != Out.Sequence || In.Length > TvxMaxPayload) return false;
  Answer.resize(In.Length);
  if (In.Length > 0 && !Stream_->ReadAll(Answer.data(), In.Length, TVX_CALL_TIMEOUT_MS)) return false;
  Succeeded = In.Status == TvxOk;
  return true;
}

bool TTvxConnection::Alive() { return !Broken_.load() && !Stream_->HungUp(); }

void TTvxConnection::Close() {
  Broken_.store(true);
  Stream_->Shutdown();
}

namespace {

std::mutex TableLock;
std::map<int32_t, std::shared_ptr<TTvxConnection>> Table;
int32_t LastHandle = 0;  // guarded by TableLock; handles are not reused soon

}  // namespace

int32_t AddConnection(std::shared_ptr<TTvxConnection> Connection) {
  std::lock_guard<std::mutex> Guard(TableLock);
  do {
    LastHandle = LastHandle == INT32_MAX ? 1 : LastHandle + 1;
  } while (Table.count(LastHandle) != 0);
  Table[LastHandle] = std::move(Connection);
  return LastHandle;
}

std::shared_ptr<TTvxConnection> FindConnection(int32_t Handle) {
  std::lock_guard<std::mutex> Guard(TableLock);
  const auto Found = Table.find(Handle);
  return Found == Table.end() ? nullptr : Found->second;
}

std::shared_ptr<TTvxConnection> RemoveConnection(int32_t Handle) {
  std::lock_guard<std::mutex> Guard(TableLock);
  const auto Found = Table.find(Handle);
  if (Found == Table.end()) return nullptr;
  auto Connection = std::move(Found->second);
  Table.erase(Found);
  return Connection;
}

bool CallHandle(int32_t Handle, TTvxOp Op, const TTvxWriter& Request, std::vector<uint8_t>& Answer) {
  try {
    const auto Connection = FindConnection(Handle);
    return Connection && Connection->Call(Op, Request.Data(), Answer);
  } catch (const std::exception&) {
    return false;
  }
}
