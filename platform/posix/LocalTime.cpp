// LocalTime, POSIX: the realtime clock broken down by localtime_r and
// gmtime_r; local to UTC through mktime, which applies the TZ rules.
#include "platform/LocalTime.h"

#include <cerrno>
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

bool LocalToUtc(const TCalendarTime& Local, TCalendarTime& Utc) {
  // mktime would quietly carry 31 April into May.
  if (!IsValidCalendarTime(Local)) return false;
  std::tm local{};
  local.tm_year = Local.Year - 1900;
  local.tm_mon = Local.Month - 1;
  local.tm_mday = Local.Day;
  local.tm_hour = Local.Hour;
  local.tm_min = Local.Minute;
  local.tm_sec = Local.Second;
  local.tm_isdst = -1;  // let the time-zone rules decide
  errno = 0;
  const time_t seconds = mktime(&local);
  if (seconds == static_cast<time_t>(-1) && errno != 0) return false;
  std::tm utc{};
  if (gmtime_r(&seconds, &utc) == nullptr) return false;
  Utc = FromTm(utc, Local.Millisecond);
  return true;
}
