// The time arithmetic of the schedule check, shared by the main window and the system service.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace duskline {

// The hour is read from the time text's first two characters, the minute from its last two,
// each as a 16-bit number.
int16_t HourField(std::string_view text);
int16_t MinuteField(std::string_view text);

// Minute of the day in 16-bit arithmetic; raises 6 where 16 bits do not suffice.
int32_t MinuteOfDay(int16_t hour, int16_t minute);

// Minutes since 1 January 1970 of a local date and time: unlike the minute of the day, the
// count goes on across midnight, as a postponed occurrence may.
int64_t CalendarMinute(const LocalTime& time);

// The local date and time of such a minute, seconds zero.
LocalTime FromCalendarMinute(int64_t minute);

// "HH:MM" of such a minute.
std::string HourAndMinute(int64_t minute);

}  // namespace duskline
