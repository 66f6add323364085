// The schedule's text: the time text, then the index with a sign position.
#include <gtest/gtest.h>

#include "platform/test/Fakes.h"
#include "scheduler/ScheduleCommand.h"

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

}  // namespace
}  // namespace duskline
