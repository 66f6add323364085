// After the clock is set, the check runs on the next second: the timer's count alone would miss
// a set minute the clock jumped into and keep one it jumped back past.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/ProgramRun.h"

namespace duskline {
namespace {

bool Fired(const ProgramRun& run) {
  return std::ranges::count(run.fake_.api.log, "ExitWindowsEx 5 4294967295") > 0;
}

TEST(QuietCheck, AClockSetIntoTheSetMinuteFiresOnTheNextSecond) {
  ProgramRun forward;
  forward.Start("12:00 1", 10, 0, 0);
  forward.Window().ClickOn("cmdHide");
  forward.Seconds(2);
  forward.fake_.clock.Set((2 * 3600 - 2) * 1000 + 250);  // 12:00:00.250
  forward.Window().ClockChanged();
  forward.Milliseconds(750);
  EXPECT_TRUE(Fired(forward));

  ProgramRun back;
  back.Start("12:00 1", 11, 59, 58);
  back.Window().ClickOn("cmdHide");
  back.Seconds(1);
  back.fake_.clock.Set(-3600 * 1000);  // 10:59:59
  back.Window().ClockChanged();
  EXPECT_EQ(back.Seconds(1), (Log{"Toggle", "Icon 99"})) << "the warning stops";
  back.Seconds(120);
  EXPECT_FALSE(Fired(back));
  EXPECT_EQ(back.DueIn(), 60000);
}

}  // namespace
}  // namespace duskline
