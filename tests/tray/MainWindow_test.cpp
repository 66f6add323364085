// Editing the schedule, the tooltip, hiding and restoring, closing and the About button.
#include <gtest/gtest.h>

#include <functional>

#include "support/MainHarness.h"

namespace duskline::fakes {
namespace {

using Calls = std::vector<std::string>;

Calls TipWrites(const FakeTray& tray) {
  Calls tips;
  for (const std::string& entry : tray.log)
    if (entry.rfind("TipText=", 0) == 0) tips.push_back(entry.substr(8));
  return tips;
}

TEST(Editing, TypingRefreshesTheTooltipPerKeyAndLeavingSaves) {
  MainHarness run(" 2");  // empty time, "Power Off"
  run.Start();
  run.fake.tray.log.clear();

  run.form().Type("txtTime", "07:30");
  EXPECT_EQ(TipWrites(run.fake.tray),
            (Calls{"Power Off at 0", "Power Off at 07", "Power Off at 07:", "Power Off at 07:3",
                   "Power Off at 07:30"}));
  EXPECT_TRUE(run.ScheduleWrites().empty()) << "a change never writes";

  run.form().Focus("cmbType");
  EXPECT_EQ(run.ScheduleWrites(), (Calls{"07:30 2"}));
}

TEST(Editing, PickingATypeThenLeavingTheListSavesIt) {
  MainHarness run("22:15 0");
  run.Start();
  run.form().Pick("cmbType", 1);
  EXPECT_EQ(run.fake.tray.tipText, "Shutdown at 22:15");
  EXPECT_TRUE(run.ScheduleWrites().empty());
  run.form().ClickOn("cmdHide");  // the button takes the focus first
  EXPECT_EQ(run.ScheduleWrites(), (Calls{"22:15 1"}));
}

TEST(Editing, TextIsStoredAsWritten) {
  struct {
    std::string typed;
    std::string stored;
  } cases[] = {{"abc", "abc 1"}, {"7 30", "7 30 1"}, {"", " 1"}};
  for (const auto& c : cases) {
    MainHarness run("12:00 1");
    run.Start();
    run.form().Paste("txtTime", c.typed);
    run.form().Focus("cmbType");
    EXPECT_EQ(run.Stored(), c.stored);
  }
}

TEST(Editing, AnErrorInAnEditHandlerEndsTheProgramWithTheStandardReport) {
  MainHarness run("12:00 1");
  run.Start();
  run.fake.tray.failures.Fail("TipText", kErrOverflow);
  EXPECT_THROW(run.form().Type("txtTime", "1"), ProgramEnded);
  EXPECT_EQ(run.fake.windows.messageBoxes,
            (std::vector<MessageBoxRecord>{{"Run-time error '6':\n\nOverflow", "Vesperon"}}));
}

struct TipCase {
  int typeIndex;
  std::string timeText;
  std::string tip;
};

TEST(SetToolTip, PrefixFollowsTheIndexAndTheTimeIsTakenAsItStands) {
  const TipCase cases[] = {{2, "06:05", "Power Off at 06:05"},
                           {1, "22:15", "Shutdown at 22:15"},
                           {0, "7", "Logoff at 7"},
                           {-1, "06:05", "Logoff at 06:05"},
                           {1, "", "Shutdown at "}};
  for (const TipCase& c : cases) {
    MainHarness run;
    run.Start();
    run.cmbType().SetListIndex(c.typeIndex);
    run.txtTime().SetText(c.timeText);
    run.main.SetToolTip();
    EXPECT_EQ(run.fake.tray.tipText, c.tip);
  }
}

TEST(MainWindow, HideAndActivatingTheIconRestoresTheWindowAndStopsTheAnimation) {
  MainHarness run("12:03 1", 11, 59, 0);
  run.Start();
  run.form().PressKey(13);  // Enter: the default button "&Hide"
  EXPECT_FALSE(run.form().Visible());
  EXPECT_TRUE(run.fake.tray.shown);
  run.fake.clock.AdvanceSeconds(2);
  ASSERT_TRUE(run.fake.tray.animating) << "three minutes away";
  run.fake.tray.log.clear();

  run.fake.tray.Activate();
  EXPECT_TRUE(run.form().Visible());
  EXPECT_EQ(run.fake.tray.log, (Calls{"RemoveIcon", "ToggleAnimation"}));
  run.fake.clock.AdvanceSeconds(5);
  EXPECT_EQ(run.fake.tray.log, (Calls{"RemoveIcon", "ToggleAnimation"})) << "no steps while shown";

  run.form().ClickOn("cmdHide");
  run.fake.clock.AdvanceSeconds(1);
  EXPECT_TRUE(run.fake.tray.animating) << "restarted at the next tick";
}

TEST(MainWindow, EveryWayOfClosingEndsTheProgram) {
  const std::function<void(FakeForm&)> ways[] = {[](FakeForm& f) { f.ClickOn("cmdClose"); },
                                                 [](FakeForm& f) { f.PressKey(27); },
                                                 [](FakeForm& f) { f.CloseByUser(); }};
  for (const auto& close : ways) {
    MainHarness run("12:00 1", 11, 59, 0);
    run.Start();
    run.form().ClickOn("cmdHide");
    run.fake.clock.AdvanceSeconds(3);  // the countdown window is open
    run.fake.tray.Activate();
    EXPECT_THROW(close(run.form()), ProgramEnded);
    EXPECT_EQ(run.fake.app.ends, 1);
  }
}

// Loading anew after closing is shown with the window itself.
TEST(MainWindow, AboutShowsTheOneWindow) {
  MainHarness run;
  run.Start();
  run.form().ClickOn("cmdAbout");
  run.form().ClickOn("cmdAbout");
  EXPECT_EQ(run.fake.windows.Created("frmSplash"), 1);
  EXPECT_TRUE(run.fake.windows.Find("frmSplash")->Visible());
}

}  // namespace
}  // namespace duskline::fakes
