#include "scheduler/ScheduleTime.h"

#include <chrono>
#include <cstdio>

#include "platform/Runtime.h"

namespace duskline {

namespace {

int16_t TimeField(std::string_view text) {
  return RoundToInt16(NumberFromText(text));
}

}  // namespace

int16_t HourField(std::string_view text) {
  return TimeField(text.substr(0, 2));
}

int16_t MinuteField(std::string_view text) {
  return TimeField(text.size() <= 2 ? text : text.substr(text.size() - 2));
}

int32_t MinuteOfDay(int16_t hour, int16_t minute) {
  const int32_t product = hour * 60;
  if (product < -32768 || product > 32767) Raise(kErrOverflow);
  const int32_t sum = product + minute;
  if (sum < -32768 || sum > 32767) Raise(kErrOverflow);
  return sum;
}

int64_t CalendarMinute(const LocalTime& time) {
  using namespace std::chrono;
  const sys_days day{year{time.year} / time.month / time.day};
  return int64_t{day.time_since_epoch().count()} * 1440 + time.hour * 60 + time.minute;
}

LocalTime FromCalendarMinute(int64_t minute) {
  using namespace std::chrono;
  const int64_t days = (minute >= 0 ? minute : minute - 1439) / 1440;
  const year_month_day date{sys_days{std::chrono::days{days}}};
  const auto inDay = static_cast<int>(minute - days * 1440);
  return {static_cast<int>(date.year()),
          static_cast<int>(unsigned(date.month())),
          static_cast<int>(unsigned(date.day())),
          inDay / 60,
          inDay % 60,
          0};
}

std::string HourAndMinute(int64_t minute) {
  const LocalTime time = FromCalendarMinute(minute);
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", time.hour % 100, time.minute);
  return text;
}

}  // namespace duskline
