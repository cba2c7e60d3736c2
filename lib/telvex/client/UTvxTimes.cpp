// The library's exported time conversions.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "protocol/UTvxTime.h"
#include "telvex.h"

extern "C" {

TVX_API void Utime2Str(int32_t Seconds, char* Buffer) {
  if (Buffer == nullptr) return;
  const std::string Text = TvxTimeText(Seconds);
  std::memcpy(Buffer, Text.c_str(), Text.size() + 1);
}

TVX_API int32_t String2Utime(const TServerEvent* Event) {
  TTvxDateTime Time;
  if (Event == nullptr || !ParseTvxTime(Event->TimeText, sizeof Event->TimeText, Time)) return 0;
  return static_cast<int32_t>(TvxSecondsOf(Time));
}

TVX_API void tvxFreeMemory(void* Block) { std::free(Block); }

}  // extern "C"
