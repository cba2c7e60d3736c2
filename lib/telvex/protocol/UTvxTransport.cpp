#include "protocol/UTvxTransport.h"

bool TTvxStream::ReadAll(void* Buffer, size_t Size, int TimeoutMs) {
  auto* Bytes = static_cast<uint8_t*>(Buffer);
  while (Size > 0) {
    const int Count = ReadSome(Bytes, Size, TimeoutMs);
    if (Count <= 0) return false;
    Bytes += Count;
    Size -= static_cast<size_t>(Count);
  }
  return true;
}
