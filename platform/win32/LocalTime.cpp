// LocalTime, Win32: the system clock in SYSTEMTIME form.
#include "platform/LocalTime.h"

#include <windows.h>

namespace {

TCalendarTime FromSystemTime(const SYSTEMTIME& T) {
  return TCalendarTime{T.wYear, T.wMonth, T.wDay, T.wHour, T.wMinute, T.wSecond, T.wMilliseconds};
}

}  // namespace

TCalendarTime LocalTimeNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return FromSystemTime(now);
}

TCalendarTime UtcTimeNow() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  return FromSystemTime(now);
}
