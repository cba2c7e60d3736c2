// UTvxConnection: one connection of the library to telvexd, and the table
// that maps the handles of the C API to connections.
//
// Any thread may use a connection; Call serialises the exchanges, so that
// each request meets its own answer. A transport failure or a time-out
// breaks the connection for good: later calls fail at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "protocol/UTvxTransport.h"
#include "protocol/UTvxWire.h"

class TTvxConnection {
 public:
  explicit TTvxConnection(std::unique_ptr<TTvxStream> Stream) : Stream_(std::move(Stream)) {}

  // One exchange: true with Answer holding the payload when the server
  // answered the operation with success. False when it answered failure,
  // or when the link failed (the connection is then broken).
  bool Call(TTvxOp Op, const std::vector<uint8_t>& Request, std::vector<uint8_t>& Answer);
  // False once broken or once the server hung up; no exchange.
  bool Alive();
  // Ends the link; calls in progress and later ones fail.
  void Close();

 private:
  bool Exchange(TTvxOp Op, const std::vector<uint8_t>& Request, std::vector<uint8_t>& Answer, bool& Succeeded);

  std::mutex Lock_;  // one exchange at a time
  std::unique_ptr<TTvxStream> Stream_;
  std::atomic<bool> Broken_{false};
  uint32_t Sequence_ = 0;  // guarded by Lock_
};

// Registers a connection under a new handle (> 0).
int32_t AddConnection(std::shared_ptr<TTvxConnection> Connection);
// The connection of Handle, or null.
std::shared_ptr<TTvxConnection> FindConnection(int32_t Handle);
// Removes Handle from the table and gives its connection (or null).
std::shared_ptr<TTvxConnection> RemoveConnection(int32_t Handle);

// Call on the connection of Handle; false when there is none. Never
// throws: an allocation failure counts as a failed call.
bool CallHandle(int32_t Handle, TTvxOp Op, const TTvxWriter& Request, std::vector<uint8_t>& Answer);
