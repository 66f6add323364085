// The schedule's text: the time text, then the index with a sign position.
#include <gtest/gtest.h>

#include "platform/test/Fakes.h"
#include "scheduler/ScheduleCommand.h"
#include "scheduler/ScheduleTime.h"

namespace duskline {
namespace {

using fakes::ErrorOf;

TEST(ScheduleCommand, TimeTextThenTheIndexWithASignPosition) {
  EXPECT_EQ(ProduceScheduleCommand("07:30", 1), "07:30 1");
  EXPECT_EQ(ProduceScheduleCommand("07:30", -1), "07:30-1");
  // clang-format off
  const std::tuple<const char*, const char*, int> cases[] = {
      {"07:30 1", "07:30", 1}, {"0730", "", 0}, {"7:30 2 ", "7:30", 2}, {" 2", "", 2},
      {"1 1.5", "1", 2}, {"a b", "a", 0}, {"x -1", "x", -1}};
  // clang-format on
  for (const auto& [text, time, index] : cases) {
    const ScheduleParts parts = ParseScheduleCommand(text);
    EXPECT_EQ(parts.timeText, time) << text;
    EXPECT_EQ(parts.typeIndex, index) << text;
  }
  EXPECT_EQ(ErrorOf([] { ParseScheduleCommand("12:00 99999"); }), kErrOverflow);
  EXPECT_EQ(ScheduleFilePath("C:\\D"), "C:\\D\\Vesperon.ini");
  EXPECT_EQ(ScheduleFilePath("C:\\"), "C:\\Vesperon.ini");
  EXPECT_EQ(ScheduleFilePath("/d/"), "/d/Vesperon.ini");
  EXPECT_EQ(ScheduleFilePath(""), "\\Vesperon.ini");
}

// Minutes carry into the hour and hours into the next day; the minute of the day keeps to 16
// bits or raises an overflow, for the product and for the sum.
TEST(ScheduleTime, MinutesCarryAndTheMinuteOfTheDayOverflows) {
  const int64_t monday = CalendarMinute({2024, 1, 1, 0, 0});
  const std::pair<int64_t, const char*> times[] = {
      {59, "00:59"}, {60, "01:00"}, {1439, "23:59"}, {1445, "00:05"}, {-1, "23:59"}};
  for (const auto& [minutes, text] : times) EXPECT_EQ(HourAndMinute(monday + minutes), text);
  EXPECT_EQ(FromCalendarMinute(monday + 1445), (LocalTime{2024, 1, 2, 0, 5, 0}));
  EXPECT_EQ(MinuteOfDay(546, 7), 32767);
  EXPECT_EQ(MinuteOfDay(-546, -8), -32768);
  for (const auto& [hour, minute] : {std::pair{546, 8}, {-546, -9}, {547, -60}, {-547, 60}})
    EXPECT_EQ(ErrorOf([&] { MinuteOfDay(int16_t(hour), int16_t(minute)); }), kErrOverflow);
}

}  // namespace
}  // namespace duskline
