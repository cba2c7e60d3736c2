// LocalTime, POSIX: the realtime clock broken down by localtime_r and
// gmtime_r.
#include "platform/LocalTime.h"

#include <ctime>

namespace {

timespec ClockNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

TCalendarTime FromTm(const std::tm& Time, long Millisecond) {
  TCalendarTime result;
  result.Year = static_cast<uint16_t>(Time.tm_year + 1900);
  result.Month = static_cast<uint16_t>(Time.tm_mon + 1);
  result.Day = static_cast<uint16_t>(Time.tm_mday);
  result.Hour = static_cast<uint16_t>(Time.tm_hour);
  result.Minute = static_cast<uint16_t>(Time.tm_min);
  result.Second = static_cast<uint16_t>(Time.tm_sec);
  result.Millisecond = static_cast<uint16_t>(Millisecond);
  return result;
}

}  // namespace

TCalendarTime LocalTimeNow() {
  const timespec now = ClockNow();
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return FromTm(local, now.tv_nsec / 1000000);
}

TCalendarTime UtcTimeNow() {
  const timespec now = ClockNow();
  std::tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  return FromTm(utc, now.tv_nsec / 1000000);
}
