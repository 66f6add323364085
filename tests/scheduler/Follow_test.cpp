// Following the system service: its phases drive the tray and the countdown, "Stop" and
// "Postpone" go to it, and the program never acts itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/ProgramRun.h"

namespace duskline {
namespace {

struct FakeScheduler : SystemScheduler {
  std::string Phase() override { return phase; }
  std::string Stop() override { return asked.push_back("Stop"), refusal; }
  std::string Postpone() override { return asked.push_back("Postpone"), refusal; }
  std::string phase = "idle", refusal;
  Log asked;
};

class FollowTest : public ProgramTest {
 protected:
  FakeScheduler scheduler;
  void SetUp() override { main_.Follow(scheduler); }
};

TEST_F(FollowTest, TheServicesPhasesShowAndItsRefusalKeepsTheProgram) {
  Start("", 23, 59, 50);  // the program's own schedule, 00:00, is not its business now
  EXPECT_FALSE(Window().Visible());
  scheduler.phase = "warning";
  EXPECT_EQ(Seconds(1),
            (Log{"Interval 1000", "Mode 2", "Toggle", "Notify Duskline: Power Off at 00:00"}));
  scheduler.phase = "countdown";
  EXPECT_THAT(Seconds(1), testing::Contains("Interval 250"));
  ASSERT_TRUE(Window("Attention").Visible());
  scheduler.refusal = "The administrator does not allow this.";
  Window("Attention").ClickOn("cmdStop");
  Window("Attention").ClickOn("cmdPostpone");
  EXPECT_EQ(fake_.windows.boxes, Log(2, "Vesperon: The administrator does not allow this."));
  scheduler.phase = "idle";  // another user postponed it
  Seconds(15);
  EXPECT_FALSE(Window("Attention").Visible());
  EXPECT_THAT(fake_.api.log, testing::Each(testing::Not(testing::StartsWith("ExitWindowsEx"))));
  scheduler.refusal.clear();
  scheduler.phase = "countdown";
  Seconds(1);
  EXPECT_TRUE(Ends([&] { Window("Attention").ClickOn("cmdStop"); }));
  EXPECT_EQ(scheduler.asked, (Log{"Stop", "Postpone", "Stop"}));
}

}  // namespace
}  // namespace duskline
