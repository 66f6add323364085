// The service switches of the command line and the four lifecycle events.
#include <gtest/gtest.h>

#include "support/MainHarness.h"

namespace duskline::fakes {
namespace {

using Calls = std::vector<std::string>;

struct SwitchCase {
  std::string commandLine;
  int outcome;  // 1 succeeds, 0 fails, -1 raises
  std::string message;
  Calls serviceLog;
};

void PrintTo(const SwitchCase& c, std::ostream* os) {
  *os << c.commandLine << " " << c.outcome;
}

class OneShotSwitchTest : public testing::TestWithParam<SwitchCase> {};

TEST_P(OneShotSwitchTest, ShowsOneMessageAndEndsWithoutTheWindow) {
  const SwitchCase& c = GetParam();
  MainHarness run(c.commandLine);
  run.fake.service.installResult = run.fake.service.uninstallResult = c.outcome == 1;
  if (c.outcome < 0) run.fake.service.failures.Fail("InstallService");
  run.Start();

  EXPECT_TRUE(run.endedAtStart);
  EXPECT_EQ(run.fake.windows.messageBoxes,
            (std::vector<MessageBoxRecord>{{c.message, "Vesperon"}}));
  EXPECT_EQ(run.fake.service.log, c.serviceLog);
  EXPECT_EQ(run.form().ShowCount(), 0);
  EXPECT_EQ(run.fake.ini.reads, 0);
  EXPECT_TRUE(run.fake.service.entries.empty());
}

const Calls kInstall{"ServiceDisplayName", "DesktopInteraction=1", "InstallService"};
const Calls kUninstall{"ServiceDisplayName", "UninstallService"};

INSTANTIATE_TEST_SUITE_P(
    Switches, OneShotSwitchTest,
    testing::Values(
        SwitchCase{"-install",
                   1,
                   "Orvanta Duskline erfolgreich installiert.",
                   {kInstall[0], kInstall[1], kInstall[2],
                    "StoreParameter=Parameters,TimerInterval,1000"}},
        SwitchCase{"-install", 0, "Orvanta Duskline konnte nicht installiert werden.", kInstall},
        SwitchCase{"-install",
                   -1,
                   "[438] Object doesn't support this property or method",
                   {kInstall[0], kInstall[1], "DesktopInteraction"}},
        SwitchCase{"-uninstall", 1, "Orvanta Duskline erfolgreich deinstalliert.", kUninstall},
        SwitchCase{"-uninstall", 0, "Orvanta Duskline konnte nicht deinstalliert werden.",
                   kUninstall}));

TEST(ServiceSwitches, DebugSetsDebugModeAndRunsTheServiceWithoutTheFile) {
  MainHarness run("-debug");
  run.Store("22:00 2");
  run.Start();

  EXPECT_EQ(run.fake.service.log,
            (Calls{"ServiceDisplayName", "DebugMode=1", "AcceptedRequests=2", "RunService"}));
  EXPECT_EQ(run.txtTime().Text(), "");
  EXPECT_EQ(run.cmbType().ListIndex(), 0);
  EXPECT_TRUE(run.form().Visible());
  EXPECT_EQ(run.fake.ini.reads, 0);
  EXPECT_TRUE(run.fake.ini.writes.empty());
}

TEST(ServiceSwitches, EveryOtherStartRunsTheService) {
  for (const char* commandLine : {"", "07:30 1", "-DEBUG", "-install "}) {
    MainHarness run(commandLine);
    run.Start();
    EXPECT_EQ(run.fake.service.log,
              (Calls{"ServiceDisplayName", "AcceptedRequests=2", "RunService"}))
        << '"' << commandLine << '"';
    EXPECT_FALSE(run.endedAtStart);
  }
}

class LifecycleTest : public testing::Test {
 protected:
  LifecycleTest() : run("12:00 1", 11, 50, 0) { run.Start(); }

  std::vector<EventLogEntry> Entries() const { return run.fake.service.entries; }
  static EventLogEntry Status(const std::string& text) { return {4, 110, text}; }
  static EventLogEntry Error(const std::string& text) { return {109, 1, text}; }

  MainHarness run;
};

TEST_F(LifecycleTest, StartLocksTheScheduleAndHidesTheWindowOnce) {
  EXPECT_TRUE(run.fake.service.Start());
  EXPECT_EQ(Entries(), (std::vector<EventLogEntry>{Status("Service started")}));
  EXPECT_FALSE(run.form().ControlNamed("Frame1").Visible());
  EXPECT_FALSE(run.txtTime().Enabled());
  EXPECT_FALSE(run.cmbType().Enabled());
  EXPECT_THROW(run.form().Type("txtTime", "1"), NotReachable);
  EXPECT_THROW(run.form().ClickOn("cmdClose"), NotReachable);

  run.fake.clock.AdvanceMilliseconds(499);
  EXPECT_TRUE(run.form().Visible());
  run.fake.clock.AdvanceMilliseconds(1);
  EXPECT_FALSE(run.form().Visible());
  EXPECT_TRUE(run.fake.tray.shown);
  EXPECT_FALSE(run.form().FakeTimerNamed("tmrAutoHide").Enabled());

  run.fake.tray.Activate();
  run.fake.clock.AdvanceSeconds(5);
  EXPECT_TRUE(run.form().Visible()) << "the auto-hide does not come back";
  EXPECT_FALSE(run.txtTime().Enabled()) << "the lock lasts";
}

TEST_F(LifecycleTest, PausedCheckMissesTheMinuteAndDoesNotCatchUpThenStopEnds) {
  EXPECT_TRUE(run.fake.service.Pause());
  EXPECT_FALSE(run.tmrCheck().Enabled());
  run.fake.clock.AdvanceTo(12, 0, 30);
  EXPECT_TRUE(run.fake.api.exits.empty());

  run.fake.clock.AdvanceTo(12, 1, 0);
  EXPECT_TRUE(run.fake.service.Continue());
  EXPECT_TRUE(run.tmrCheck().Enabled());
  run.fake.clock.AdvanceMinutes(10);
  EXPECT_TRUE(run.fake.api.exits.empty());
  EXPECT_THROW(run.fake.service.Stop(), ProgramEnded);
  EXPECT_EQ(Entries(),
            (std::vector<EventLogEntry>{Status("Service paused"), Status("Service continued"),
                                        Status("Service stopped")}));
}

TEST_F(LifecycleTest, StartFailingAtTheFrameKeepsWhatWasDone) {
  static_cast<FakeButton&>(run.form().ControlNamed("Frame1")).failures.Fail("Visible");
  EXPECT_TRUE(run.fake.service.Start());
  EXPECT_EQ(
      Entries(),
      (std::vector<EventLogEntry>{Error("[438] Object doesn't support this property or method")}));
  EXPECT_TRUE(run.form().FakeTimerNamed("tmrAutoHide").Enabled());
  EXPECT_TRUE(run.txtTime().Enabled()) << "later steps skipped";
  EXPECT_TRUE(run.fake.unhandled.empty());
}

// A failing pause leaves the flag unset; continue has accepted before its entry fails; nothing
// after stop's failing entry runs, so the program is not unloaded.
TEST_F(LifecycleTest, FailingStepsAndStatusEntriesAreTrapped) {
  run.tmrCheck().failures.Fail("Enabled", kErrObjectNotSet, 1);
  EXPECT_FALSE(run.fake.service.Pause());
  run.fake.service.failures.Fail("WriteEventLogEntry", kErrTypeMismatch, 1);
  EXPECT_TRUE(run.fake.service.Continue());
  run.fake.service.failures.Fail("WriteEventLogEntry", kErrInvalidPropertyValue, 1);
  EXPECT_NO_THROW(run.fake.service.Stop());
  EXPECT_EQ(Entries(), (std::vector<EventLogEntry>{
                           Error("[91] Object variable or With block variable not set"),
                           Error("[13] Type mismatch"), Error("[380] Invalid property value")}));
  EXPECT_EQ(run.fake.app.ends, 0);
  EXPECT_TRUE(run.fake.unhandled.empty());
}

TEST_F(LifecycleTest, AnErrorWhileWritingTheErrorEntryEndsTheProgram) {
  run.fake.service.failures.Fail("WriteEventLogEntry");
  EXPECT_THROW(run.fake.service.Pause(), ProgramEnded);
  ASSERT_EQ(run.fake.unhandled.size(), 1u);
  EXPECT_EQ(run.fake.windows.messageBoxes.back().text,
            "Run-time error '438':\n\nObject doesn't support this property or method");
}

}  // namespace
}  // namespace duskline::fakes
