// Whole runs of the program on the fakes: start-up, editing, the countdown in the tray and the
// action at the set minute, the service host, the About window and the rule for errors.
#include <gtest/gtest.h>

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "platform/test/Fakes.h"
#include "scheduler/Main.h"

namespace duskline {
namespace {

using fakes::FakeForm;
using fakes::ProgramEnded;
using Log = std::vector<std::string>;

const std::string kIni = "C:\\Duskline\\Vesperon.ini";

// A run of the program on the fakes.
class ProgramRun {
 public:
  void Start(const std::string& commandLine, int hour, int minute, int second = 0) {
    fake_.app.commandLine = commandLine;
    fake_.clock.start = {2024, 1, 1, hour, minute, second};
    ended_ = Ends([&] { main_.Start(); });
  }
  static bool Ends(const std::function<void()>& action) {
    try {
      action();
      return false;
    } catch (const ProgramEnded&) {
      return true;
    }
  }
  // Moves the clock on and returns what the tray was asked meanwhile.
  Log Seconds(int seconds) {
    fake_.tray.log.clear();
    fake_.clock.Advance(seconds * 1000LL);
    return std::exchange(fake_.tray.log, {});
  }
  FakeForm& Window(const std::string& name = "Main") { return *fake_.windows.Find(name); }
  std::string Caption(const std::string& form, const std::string& label, int index = -1) {
    return Window(form).LabelNamed(label, index).Caption();
  }

  fakes::FakePlatform fake_;
  Main main_{fake_.platform};
  bool ended_ = false;
};

class ProgramTest : public testing::Test, public ProgramRun {};

TEST_F(ProgramTest, HiddenInTheTrayItWarnsCountsDownAndShutsDownAtTheSetMinute) {
  fake_.ini.entries[kIni + " [Command] Code"] = "12:00 1";
  Start("", 11, 54, 59);
  EXPECT_EQ(fake_.tray.log, (Log{"Tip Logoff at 12:00", "Tip Shutdown at 12:00"}));
  Window().ClickOn("cmdHide");

  EXPECT_EQ(Seconds(1), (Log{"Interval 1000", "Mode 2", "Toggle"}));  // 11:55, five minutes
  EXPECT_EQ(Seconds(1), (Log{"Interval 1000", "Mode 2"}));
  Seconds(238);
  EXPECT_EQ(Seconds(1), (Log{"Interval 250", "Mode 3", "Icon 2"}));  // 11:59, the last minute
  EXPECT_TRUE(Window("Attention").Visible());
  EXPECT_EQ(Caption("Attention", "lblInfo"), "Shutdown");
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in one Minute.");
  EXPECT_EQ(fake_.api.log,
            Log{"SetWindowPos " + std::to_string(Window("Attention").Handle()) + " -1 0 3"});
  Seconds(1);
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in 59 seconds.");
  Seconds(44);
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in 15 seconds.");
  EXPECT_TRUE(Window("Attention").Visible());
  Seconds(1);
  EXPECT_FALSE(Window("Attention").Visible());
  Seconds(13);
  EXPECT_EQ(main_.attention()->gintTicks(), 46);
  EXPECT_EQ(fake_.ini.log, Log(60, kIni + " [Command] Code=12:00 1")) << "each second of 11:59";

  fake_.api.log.clear();
  EXPECT_EQ(Seconds(1), (Log{"Toggle", "Icon 99", "Remove"}));  // 12:00
  EXPECT_EQ(fake_.api.log.back(), "ExitWindowsEx 5 4294967295");
  Seconds(60);
  EXPECT_EQ(fake_.api.log.size(), 5u) << "the check stopped";
}

// The action by type and system; tray errors do not keep it from firing.
TEST(Action, FitsTheTypeAndTheSystem) {
  const std::string nt =
      "GetCurrentProcess|OpenProcessToken -1 40|LookupPrivilegeValueA '' "
      "SeShutdownPrivilege|AdjustTokenPrivileges 44 0 1 19 2 16 1|";
  const uint32_t kNt = 0x1DB10106, k95 = 0xC3B60004;
  // clang-format off
  const std::tuple<const char*, uint32_t, std::string> cases[] = {
      {"12:00 0", kNt, "ExitWindowsEx 4 4294967295|"}, {"12:00 -1", kNt, "ExitWindowsEx 4 4294967295|"},
      {"12:00 7", kNt, "ExitWindowsEx 4 4294967295|"}, {"12:00 1", kNt, nt + "ExitWindowsEx 5 4294967295|"},
      {"12:00 2", kNt, nt + "ExitWindowsEx 12 4294967295|"}, {"12:00 1", k95, "ExitWindowsEx 5 4294967295|"},
      {"12:00 2", k95, "ExitWindowsEx 12 4294967295|"}};
  // clang-format on
  for (const auto& [command, version, expected] : cases) {
    ProgramRun run;
    run.fake_.api.version = version;
    run.Start(command, 11, 59, 59);
    if (std::string(command) == "12:00 7") run.Window().List("cmbType").index = 7;
    run.fake_.tray.fail = true;
    run.Window().Hide();
    run.Seconds(1);
    std::string calls;
    for (const std::string& call : run.fake_.api.log) calls += call + "|";
    EXPECT_EQ(calls, expected) << command << " " << version;
  }
}

TEST_F(ProgramTest, EditingRenamesTheTipSavesOnLeavingAndEarnsANewCountdown) {
  Start("", 10, 0, 30);
  Window().Text("txtTime").SetText("10:02");
  Window().List("cmbType").SetListIndex(0);
  EXPECT_EQ(fake_.tray.log, (Log{"Tip Logoff at 00:00", "Tip Power Off at 00:00",
                                 "Tip Power Off at 10:02", "Tip Logoff at 10:02"}));
  Window().Text("txtTime").LostFocus();
  Window().List("cmbType").LostFocus();
  EXPECT_EQ(fake_.ini.log, Log(2, kIni + " [Command] Code=10:02 0"));
  Window().ClickOn("cmdHide");
  Seconds(30);  // 10:01
  EXPECT_EQ(Caption("Attention", "lblInfo"), "Logoff");
  Seconds(50);
  EXPECT_FALSE(Window("Attention").Visible());
  Window().List("cmbType").SetListIndex(1);
  Window().Text("txtTime").SetText("10:03");
  Seconds(10);  // 10:02
  EXPECT_TRUE(Window("Attention").Visible());
  EXPECT_EQ(Caption("Attention", "lblInfo"), "Shutdown");
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in one Minute.");
  Seconds(1);
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in 59 seconds.");
  EXPECT_TRUE(Ends([&] { Window("Attention").ClickOn("cmdStop"); }));
}

TEST_F(ProgramTest, TheTrayIconRestoresTheWindowClosingEndsAndSoDoesAnUntrappedError) {
  Start("12:00 1", 11, 57, 59);
  Window().ClickOn("cmdHide");
  Seconds(1);
  ASSERT_TRUE(fake_.tray.animating);
  fake_.tray.log.clear();
  fake_.tray.IconActivate();
  EXPECT_TRUE(Window().Visible());
  EXPECT_EQ(fake_.tray.log, (Log{"Remove", "Toggle"}));
  fake_.tray.IconActivate();
  EXPECT_EQ(fake_.tray.log, (Log{"Remove", "Toggle", "Remove"}));
  EXPECT_EQ(Seconds(60), Log{}) << "no warnings while the window is shown";
  EXPECT_TRUE(Ends([&] { Window().QueryUnload(); }));
  EXPECT_TRUE(Ends([&] { Window().ClickOn("cmdClose"); }));
  // An error no handler traps is reported, then the program ends.
  fake_.tray.fail = true;
  EXPECT_TRUE(Ends([&] { Window().ClickOn("cmdHide"); }));
  EXPECT_EQ(
      fake_.windows.boxes,
      Log{"Vesperon: Run-time error '438':\n\nObject doesn't support this property or method"});
}

// The privilege steps are judged by the last-error code alone, cleared once before them.
TEST_F(ProgramTest, FailedPrivilegeStepsAreReportedAndTheActionStillFires) {
  fake_.api.lastError = 7;
  fake_.api.errorAfter["OpenProcessToken"] = 5;
  Start("12:00 2", 11, 59, 59);
  Seconds(1);
  EXPECT_EQ(fake_.windows.boxes,
            (Log{"Vesperon: OpenProcessToken error==5", "Vesperon: LookupPrivilegeValue error==5",
                 "Vesperon: AdjustTokenPrivileges error==5"}));
  EXPECT_EQ(fake_.api.log.back(), "ExitWindowsEx 12 4294967295");
  fake_.windows.boxes.clear();
  fake_.api.errorAfter = {{"GetCurrentProcess", 6}};
  main_.EnableShutdownPrivilege();
  EXPECT_EQ(fake_.windows.boxes.front(), "Vesperon: GetCurrentProcess error==6");
}

TEST_F(ProgramTest, ServiceSwitchesRegisterReportAndEnd) {
  using L = Log;
  // clang-format off
  const std::tuple<const char*, bool, Log, const char*> cases[] = {
      {"-install", true, L{"Desktop 1", "Install", "Store Parameters TimerInterval=1000"},
       "Duskline Service erfolgreich installiert."},
      {"-install", false, L{"Desktop 1", "Install"}, "Duskline Service konnte nicht installiert werden."},
      {"-uninstall", true, L{"Uninstall"}, "Duskline Service erfolgreich deinstalliert."},
      {"-uninstall", false, L{"Uninstall"}, "Duskline Service konnte nicht deinstalliert werden."},
      {"-debug", true, L{"Debug 1", "Accept 2", "Run"}, nullptr},
      {"-Install", true, L{"Accept 2", "Run"}, nullptr}};
  // clang-format on
  for (const auto& [command, result, log, box] : cases) {
    ProgramRun run;
    run.fake_.service.result = result;
    run.Start(command, 10, 0);
    EXPECT_EQ(run.ended_, box != nullptr) << command;
    EXPECT_EQ(run.fake_.service.log, log) << command;
    EXPECT_EQ(run.fake_.windows.boxes, box ? Log{std::string("Vesperon: ") + box} : Log{});
  }
}

TEST_F(ProgramTest, LoadErrorsGoToTheEventLogOrToTheDesktopAndEnd) {
  Start("12:00 99999", 10, 0);
  EXPECT_FALSE(ended_);
  EXPECT_EQ(fake_.service.log.back(), "Event 109 1 [6] Overflow");
  EXPECT_TRUE(Window().Visible());
  ProgramRun run;
  run.fake_.service.desktop = true;
  run.Start("12:00 99999", 10, 0);
  EXPECT_TRUE(run.ended_);
  EXPECT_EQ(run.fake_.windows.boxes, Log{"Vesperon: [6] Overflow"});
}

TEST_F(ProgramTest, AsAServiceItHidesItselfPausesContinuesAndStops) {
  Start("", 10, 0);
  ServiceControl& service = fake_.service;
  auto accepted = [](const std::function<void(bool&)>& request) {
    bool flag = false;
    request(flag);
    return flag;
  };
  EXPECT_TRUE(accepted(service.ServiceStarted));
  EXPECT_FALSE(Window().ControlNamed("Frame1").Visible());
  EXPECT_FALSE(Window().Text("txtTime").Enabled());
  EXPECT_FALSE(Window().List("cmbType").Enabled());
  EXPECT_TRUE(Window().Visible());
  EXPECT_EQ(Seconds(1).front(), "Add");  // after half a second
  EXPECT_TRUE(accepted(service.ServicePaused));
  EXPECT_EQ(Seconds(5), Log{});
  EXPECT_TRUE(accepted(service.ServiceContinued));
  EXPECT_EQ(Seconds(1), Log{"Icon 99"});
  static_cast<fakes::FakeControl<Control>&>(Window().ControlNamed("Frame1")).fail = true;
  EXPECT_TRUE(accepted(service.ServiceStarted)) << "set before the failing step";
  EXPECT_TRUE(Ends([&] { service.ServiceStopped(); }));
  EXPECT_EQ(fake_.service.log,
            (Log{"Accept 2", "Run", "Event 4 110 Service started", "Event 4 110 Service paused",
                 "Event 4 110 Service continued",
                 "Event 109 1 [438] Object doesn't support this property or method",
                 "Event 4 110 Service stopped"}));
}

TEST_F(ProgramTest, TheAboutWindowShowsTheVersionAndGoesAtAnyClickOrKey) {
  Start("", 10, 0);
  // clang-format off
  const std::pair<const char*, int> parts[] = {
      {"Frame1", -1}, {"Frame2", -1}, {"Frame3", -1}, {"imgLogo", -1}, {"lblCopyright", -1},
      {"lblPlatform", -1}, {"lblProductName", -1}, {"lblVersion", -1}, {"lblCompany", 0},
      {"lblCompany", 6}, {"form", -2}, {"key", -3}};
  // clang-format on
  for (const auto& [part, index] : parts) {
    Window().ClickOn("cmdAbout");
    FakeForm& about = Window("frmSplash");
    EXPECT_TRUE(about.Visible());
    EXPECT_EQ(Caption("frmSplash", "lblVersion"), "Version 1.1.0");
    EXPECT_EQ(Caption("frmSplash", "lblProductName"), "Vesperon");
    if (index == -2) about.Click();
    if (index == -3) about.KeyPress(27);
    if (index >= -1) about.ClickOn(part, index);
    fake_.windows.RunPending();
    EXPECT_EQ(fake_.windows.Find("frmSplash"), nullptr) << part;
  }
}

}  // namespace
}  // namespace duskline
