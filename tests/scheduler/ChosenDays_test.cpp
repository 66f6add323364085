// Chosen days: their stored form and tooltip text, and the toggles that change and save them.
#include <gtest/gtest.h>

#include "support/ProgramRun.h"

namespace duskline {
namespace {

TEST(ChosenDays, StoredFormAndTooltipText) {
  // stored value, the days read (0: none), written back, tooltip text
  // clang-format off
  const std::tuple<const char*, DaySet, const char*, const char*> cases[] = {
      {"Mon Tue Wed Thu Fri", 0x1F, "Mon Tue Wed Thu Fri", "Mon-Fri"},
      {"Sat Sun", 0x60, "Sat Sun", "Sat, Sun"},
      {"Fri Wed  mon", 0x15, "Mon Wed Fri", "Mon, Wed, Fri"},
      {"Mon Tue Wed Sat", 0x27, "Mon Tue Wed Sat", "Mon-Wed, Sat"},
      {"Mon Tue Thu Sat Sun", 0x6B, "Mon Tue Thu Sat Sun", "Mon, Tue, Thu, Sat, Sun"},
      {"Mon Foo", 0x01, "Mon", "Mon"},
      {"sun", 0x40, "Sun", "Sun"},
      {"Mon Tue Wed Thu Fri Sat Sun", kEveryDay, "Mon Tue Wed Thu Fri Sat Sun", "Mon-Sun"},
      {"Foo", 0, nullptr, nullptr}, {"Monday", 0, nullptr, nullptr},
      {"MonTue", 0, nullptr, nullptr}, {" ", 0, nullptr, nullptr}};
  // clang-format on
  for (const auto& [value, days, stored, summary] : cases) {
    EXPECT_EQ(ParseDays(value).value_or(0), days) << value;
    if (!stored) continue;
    EXPECT_EQ(StoredDays(days), stored) << value;
    EXPECT_EQ(DaysSummary(days), summary) << value;
  }
  // Monday 1 January 2024, a leap day, a Sunday and a Saturday.
  const std::pair<LocalTime, int> dates[] = {
      {{2024, 1, 1}, 0}, {{2024, 2, 29}, 3}, {{2024, 3, 3}, 6}, {{2000, 1, 1}, 5}};
  for (const auto& [date, weekday] : dates) EXPECT_EQ(Weekday(date), weekday) << date.day;
}

// A toggle renames the tip and earns a new countdown; leaving it saves the days, every day as
// no key at all; the last day chosen stays chosen.
TEST_F(ProgramTest, TogglesChangeTheTipAndAreSavedOnLeaving) {
  Start("12:00 1", 11, 59, 0);
  Window().ClickOn("cmdHide");
  Seconds(1);
  ASSERT_TRUE(main_.gblnAttentionShown());
  fake_.tray.log.clear();
  fake_.ini.log.clear();
  Window().ClickOn("chkDay", 5);
  Window().ClickOn("chkDay", 6);
  EXPECT_FALSE(main_.gblnAttentionShown());
  EXPECT_EQ(fake_.tray.log,
            (Log{"Tip Shutdown at 12:00, Mon-Fri, Sun", "Tip Shutdown at 12:00, Mon-Fri"}));
  Window().ToggleNamed("chkDay", 6).LostFocus();
  EXPECT_EQ(fake_.ini.log,
            (Log{kIni + " [Command] Code=12:00 1", kIni + " [Command] Days=Mon Tue Wed Thu Fri"}));
  Seconds(1);
  EXPECT_EQ(fake_.ini.log.size(), 3u) << "the last minute saves the days only when changed";
  Window().ClickOn("chkDay", 5);
  Window().ClickOn("chkDay", 6);
  Window().ToggleNamed("chkDay", 6).LostFocus();
  EXPECT_EQ(fake_.ini.log.back(), kIni + " [Command] Days");
  for (int day = 1; day < kDaysInWeek; ++day) Window().ClickOn("chkDay", day);
  Window().ClickOn("chkDay", 0);
  EXPECT_EQ(main_.ChosenDays(), 0x01);
  EXPECT_EQ(fake_.tray.log.back(), "Tip Shutdown at 12:00, Mon");
}

}  // namespace
}  // namespace duskline
