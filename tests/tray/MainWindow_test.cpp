// The main window in the tray: restored by the icon, ended by closing or by an untrapped error;
// its About.
#include <gtest/gtest.h>

#include "support/ProgramRun.h"

namespace duskline {
namespace {

// One notification per warning: shown and hidden again, the same warning says nothing more; a
// new time brings its own. About shows the version.
TEST_F(ProgramTest, TheTrayIconRestoresTheWindowClosingEndsAndSoDoesAnUntrappedError) {
  Start("12:00 1", 11, 56, 59);
  Window().ClickOn("cmdHide");
  EXPECT_EQ(Seconds(1).back(), "Notify Duskline: Shutdown at 12:00");
  ASSERT_TRUE(fake_.tray.animating);
  fake_.tray.log.clear();
  fake_.tray.IconActivate();
  EXPECT_TRUE(Window().Visible());
  EXPECT_EQ(fake_.tray.log, (Log{"Remove", "Toggle"}));
  Window().ClickOn("cmdHide");
  EXPECT_EQ(Seconds(1).back(), "Toggle") << "the same warning";
  fake_.tray.IconActivate();
  EXPECT_EQ(Seconds(60), Log{}) << "no warnings while the window is shown";
  Window().Text("txtTime").SetText("12:01");
  Window().ClickOn("cmdHide");
  EXPECT_EQ(Seconds(1).back(), "Notify Duskline: Shutdown at 12:01");
  fake_.tray.IconActivate();
  Window().ClickOn("cmdAbout");
  EXPECT_EQ(Caption("frmSplash", "lblVersion"), "Version 1.1.0");
  EXPECT_TRUE(Ends([&] { Window().QueryUnload(); }));
  EXPECT_TRUE(Ends([&] { Window().ClickOn("cmdClose"); }));
  // An error no handler traps is reported, then the program ends.
  fake_.tray.fail = true;
  EXPECT_TRUE(Ends([&] { Window().ClickOn("cmdHide"); }));
  EXPECT_EQ(
      fake_.windows.boxes,
      Log{"Vesperon: Run-time error '438':\n\nObject doesn't support this property or method"});
}

}  // namespace
}  // namespace duskline
