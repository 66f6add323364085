// The days of the week a schedule applies on. Stored beside the schedule as the key "Days":
// English three-letter names in week order, "Mon Tue Wed Thu Fri"; with every day chosen the
// key is absent, so a file without it keeps its meaning.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace duskline {

inline constexpr const char* kDaysEntry = "Days";
inline constexpr int kDaysInWeek = 7;

// One bit a day: bit 0 Monday ... bit 6 Sunday.
using DaySet = uint8_t;
inline constexpr DaySet kEveryDay = 0x7F;

// "Mon" for 0 ... "Sun" for 6.
std::string_view DayName(int day);

// The stored value split at blanks, names compared without regard to letter case, unknown
// names skipped. Nothing when no name is a day.
std::optional<DaySet> ParseDays(std::string_view value);

// The stored value: "Mon Wed Fri".
std::string StoredDays(DaySet days);

// The days for the tooltip: runs of three days or more as "Mon-Fri", the others by name,
// joined by ", ": "Sat, Sun", "Mon-Wed, Sat". At most 23 characters.
std::string DaysSummary(DaySet days);

// 0 for Monday ... 6 for Sunday.
int Weekday(const LocalTime& time);

}  // namespace duskline
