#include "QTransport.h"

namespace {

class TPlainTransport : public TTransport {
 public:
  explicit TPlainTransport(TSocketHandle Socket) : Socket_(Socket) {}

  // One send: the query is small enough for the system to take whole.
  bool Send(std::string_view Bytes) override {
    return SocketSend(Socket_, Bytes.data(), static_cast<int>(Bytes.size())) == static_cast<int>(Bytes.size());
  }

  int Receive(char* Buffer, int Size) override { return SocketReceive(Socket_, Buffer, Size); }

 private:
  const TSocketHandle Socket_;
};

}  // namespace

std::unique_ptr<TTransport> PlainTransport(TSocketHandle Socket) { return std::make_unique<TPlainTransport>(Socket); }
