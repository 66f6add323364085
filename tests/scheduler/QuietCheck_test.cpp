// When the check runs: on the next second after anything that can change its outcome, and
// after the clock is set.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support/ProgramRun.h"

namespace duskline {
namespace {

struct QuietRun : ProgramRun {
  bool Fired() { return std::ranges::count(fake_.api.log, "ExitWindowsEx 5 4294967295") > 0; }
};

class QuietTest : public testing::Test, public QuietRun {};

// Each event arms the check for the next second of the clock, where the once-a-second check
// came, on time; an edit, for a second after it. Paused, nothing arms it.
TEST_F(QuietTest, EveryEventThatCanChangeTheOutcomeChecksOnTheNextSecond) {
  bool flag = false;
  const std::tuple<const char*, std::function<void(QuietRun&)>, int64_t> cases[] = {
      {"hidden", [](QuietRun& t) { t.Window().ClickOn("cmdHide"); }, 700},
      {"shown", [](QuietRun& t) { t.fake_.tray.IconActivate(); }, 700},
      {"woken", [](QuietRun& t) { t.Window().SystemResumed(); }, 700},
      {"clock set", [](QuietRun& t) { t.Window().ClockChanged(); }, 700},
      {"continued", [&](QuietRun& t) { t.fake_.service.ServiceContinued(flag); }, 700},
      {"time", [](QuietRun& t) { t.Window().Text("txtTime").SetText("12:01"); }, 1000},
      {"type", [](QuietRun& t) { t.Window().List("cmbType").SetListIndex(2); }, 1000},
      {"day", [](QuietRun& t) { t.Window().ClickOn("chkDay", 3); }, 1000}};
  for (const auto& [name, event, due] : cases) {
    QuietRun run;
    run.Start("12:00 1", 10, 0, 20);
    run.Milliseconds(1300);
    ASSERT_EQ(run.DueIn(), 38700) << name;
    event(run);
    EXPECT_EQ(std::pair(run.DueIn(), run.Check().slack), std::pair(due, 0)) << name;
    run.fake_.service.ServicePaused(flag);
    event(run);
    EXPECT_EQ(run.Check().Enabled(), name == std::string("continued")) << name;
  }
}

// The clock set forward into the set minute fires at once, and set back past it idles: the
// timer's count alone would have missed the one and kept the other.
TEST_F(QuietTest, AClockSetIntoTheSetMinuteFiresOnTheNextSecond) {
  Start("12:00 1", 10, 0, 0);
  Window().ClickOn("cmdHide");
  Seconds(2);
  fake_.clock.Set((2 * 3600 - 2) * 1000 + 250);  // 12:00:00.250
  Window().ClockChanged();
  Milliseconds(750);
  EXPECT_TRUE(Fired());

  QuietRun back;
  back.Start("12:00 1", 11, 59, 58);
  back.Window().ClickOn("cmdHide");
  back.Seconds(1);
  back.fake_.clock.Set(-3600 * 1000);  // 10:59:59
  back.Window().ClockChanged();
  EXPECT_EQ(back.Seconds(1), (Log{"Toggle", "Icon 99"})) << "the warning stops";
  back.Seconds(120);
  EXPECT_FALSE(back.Fired());
  EXPECT_EQ(back.DueIn(), 60000);
}

}  // namespace
}  // namespace duskline
