// Whole runs on the fake clock: the warning in the tray, the countdown and the action at the set
// minute; the privilege steps; the actions the program outlives, and sleep;
// following the system service, whose phases drive the tray and the countdown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "attention/Attention.h"
#include "support/ProgramRun.h"

namespace duskline {
namespace {

// Shown or hidden, the check wakes once a minute at the turn, each second in a warning.
TEST_F(ProgramTest, HiddenInTheTrayItWarnsCountsDownAndShutsDownAtTheSetMinute) {
  fake_.ini.entries[kIni + " [Command] Code"] = "12:00 1";
  Milliseconds(300);  // started at 10:00:20.300: the first check comes in the middle of a second
  Start("", 10, 0, 20);
  EXPECT_EQ(fake_.tray.log, (Log{"Tip Logoff at 12:00", "Tip Shutdown at 12:00"}));
  Milliseconds(1000);
  EXPECT_EQ(DueIn(), 38700) << "shown: at 10:01:00";
  Window().ClickOn("cmdHide");
  Milliseconds(1000);
  EXPECT_EQ(DueIn(), 37700);
  EXPECT_EQ(Check().slack, 500) << "the system may gather it with other wake-ups";
  Milliseconds(700);
  EXPECT_EQ(Seconds(6457), Log(108, "Icon 99")) << "10:01 to 11:48, once a minute";
  Seconds(419);
  EXPECT_EQ(Seconds(1), (Log{"Interval 1000", "Mode 2", "Toggle",  // 11:55, five minutes
                             "Notify Duskline: Shutdown at 12:00"}));
  EXPECT_EQ(DueIn(), 1000) << "each second, on time";
  EXPECT_EQ(Check().slack, 0);
  EXPECT_EQ(Seconds(1), (Log{"Interval 1000", "Mode 2"}));
  EXPECT_EQ(std::ranges::count(Seconds(238), "Mode 2"), 238) << "to 11:58:59";
  EXPECT_EQ(Seconds(1), (Log{"Interval 250", "Mode 3", "Icon 2"}));  // 11:59, the last minute
  EXPECT_TRUE(Window("Attention").Visible());
  EXPECT_EQ(Caption("Attention", "lblInfo"), "Shutdown");
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in one Minute.");
  EXPECT_EQ(fake_.api.log,
            Log{"SetWindowPos " + std::to_string(Window("Attention").Handle()) + " -1 0 3"});
  EXPECT_EQ(std::ranges::count(Seconds(1), "Mode 3"), 1);
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in 59 seconds.");
  EXPECT_EQ(std::ranges::count(Seconds(44), "Mode 3"), 44);
  EXPECT_EQ(Caption("Attention", "lblTime"), "will be activated in 15 seconds.");
  EXPECT_TRUE(Window("Attention").Visible());
  EXPECT_EQ(std::ranges::count(Seconds(1), "Mode 3"), 1);
  EXPECT_FALSE(Window("Attention").Visible());
  EXPECT_EQ(std::ranges::count(Seconds(13), "Mode 3"), 13) << "each second of 11:59";
  EXPECT_EQ(main_.attention()->gintTicks(), 50);
  EXPECT_FALSE(Window("Attention").FakeTimerNamed("Timer1").Enabled());  // it counts no more
  EXPECT_EQ(Window("Attention").announced, (Log{"! Shutdown will be activated in one Minute.",
                                                "Shutdown will be activated in 30 seconds.",
                                                "Shutdown will be activated in 10 seconds."}));
  EXPECT_EQ(fake_.ini.log, Log(60, kIni + " [Command] Code=12:00 1")) << "each second of 11:59";

  fake_.api.log.clear();
  fake_.tray.log.clear();
  Milliseconds(999);
  EXPECT_EQ(fake_.api.log, Log{});
  Milliseconds(1);  // the first millisecond of 12:00
  EXPECT_EQ(fake_.tray.log, (Log{"Toggle", "Icon 99", "Remove"}));
  EXPECT_EQ(fake_.api.log.back(), "ExitWindowsEx 5 4294967295");
  Seconds(60);
  EXPECT_EQ(fake_.api.log.size(), 5u) << "the check stopped";
  EXPECT_EQ(fake_.service.log, (Log{"Accept 2", "Run"})) << "nothing for a console session";
}

// From session 0 the countdown also goes to the console; its Cancel is the countdown's Stop,
// which NoStop takes away.
TEST(SessionZero, TheConsoleSeesTheCountdownAndIsLoggedOff) {
  const std::string message =
      "Message System Information: Logoff will be activated in one minute. 39 OK Cancel";
  // clang-format off
  const std::tuple<const char*, int, bool, Log, const char*, bool> cases[] = {
      {"12:00 0", kConsoleCancel, true, Log{message}, nullptr, false},
      {"12:00 0", 32000, true, Log{message, "Logoff"}, nullptr, false},  // the time-out
      {"12:00 0", 0, false, Log{message, "Logoff"}, "ExitWindowsEx 4 4294967295", false},  // refused
      {"12:00 1", 1, true, Log{"Message System Information: Shutdown will be activated in one minute. 39 OK Cancel"},
       "ExitWindowsEx 5 4294967295", false},
      {"12:00 4", kConsoleCancel, true, Log{"Message System Information: Sleep will be activated in one minute. 39 OK"},
       "SetSuspendState 0 0 0", true}};  // NoStop
  // clang-format on
  for (const auto& [command, answer, console, log, exit, noStop] : cases) {
    ProgramRun run;
    run.fake_.service.sessionZero = true;
    run.fake_.service.console = console;
    if (noStop)
      run.fake_.policy.values[{PolicyScope::User, "NoStop"}] = fakes::FakePolicyStore::Number(1);
    run.Start(command, 11, 59, 20);
    run.Window().Hide();
    run.Seconds(1);
    const bool ends = ProgramRun::Ends([&] {
      if (answer != 0) run.fake_.service.ConsoleAnswered(answer);
    });
    EXPECT_EQ(ends, answer == kConsoleCancel && !noStop) << answer;
    run.fake_.service.log.erase(run.fake_.service.log.begin(), run.fake_.service.log.begin() + 2);
    if (!ends) run.Seconds(39);
    EXPECT_EQ(run.fake_.service.log, log) << answer;
    const std::string last = run.fake_.api.log.back();  // the countdown's SetWindowPos at least
    EXPECT_EQ(last.starts_with("SetWindowPos") ? "" : last, exit ? exit : "") << answer;
  }
}

// The action by type and system; tray errors do not keep it from firing. Refused hibernation
// is told where someone sees it, else in the event log; from session 0, lock disconnects the
// console.
TEST(Action, FitsTheTypeAndTheSystem) {
  const std::string nt =
      "GetCurrentProcess|OpenProcessToken -1 40|LookupPrivilegeValueA '' "
      "SeShutdownPrivilege|AdjustTokenPrivileges 44 0 1 19 2 16 1|";
  const std::string off = "Hibernation is turned off on this computer.";
  const uint32_t kNt = 0x1DB10106, k95 = 0xC3B60004;
  struct Case {
    const char* command;
    uint32_t version;
    std::string calls;
    bool refused = false, sessionZero = false, console = true;
    Log service = {}, boxes = {};
  };
  // clang-format off
  const Case cases[] = {
      {"12:00 0", kNt, "ExitWindowsEx 4 4294967295|"}, {"12:00 -1", kNt, "ExitWindowsEx 4 4294967295|"},
      {"12:00 7", kNt, "ExitWindowsEx 4 4294967295|"}, {"12:00 1", kNt, nt + "ExitWindowsEx 5 4294967295|"},
      {"12:00 2", kNt, nt + "ExitWindowsEx 12 4294967295|"}, {"12:00 1", k95, "ExitWindowsEx 5 4294967295|"},
      {"12:00 2", k95, "ExitWindowsEx 12 4294967295|"}, {"12:00 3", kNt, nt + "ExitWindowsEx 6 4294967295|"},
      {"12:00 3", k95, "ExitWindowsEx 6 4294967295|"}, {"12:00 4", kNt, nt + "SetSuspendState 0 0 0|"},
      {"12:00 4", k95, "SetSuspendState 0 0 0|"}, {"12:00 5", kNt, "IsPwrHibernateAllowed|" + nt + "SetSuspendState 1 0 0|"},
      {"12:00 5", k95, "IsPwrHibernateAllowed|SetSuspendState 1 0 0|"}, {"12:00 6", kNt, "LockWorkStation|"},
      {"12:00 5", kNt, "IsPwrHibernateAllowed|", true, false, true, {}, {"Vesperon: " + off}},
      {"12:00 5", kNt, "IsPwrHibernateAllowed|", true, true, true, {"Event 109 1 " + off}},
      {"12:00 6", kNt, "", false, true, true, {"Disconnect"}},
      {"12:00 6", kNt, "LockWorkStation|", false, true, false, {"Disconnect"}}};
  // clang-format on
  for (const Case& c : cases) {
    ProgramRun run;
    run.fake_.api.version = c.version;
    if (c.refused) run.fake_.api.refused = {"IsPwrHibernateAllowed"};
    run.fake_.service.sessionZero = c.sessionZero;
    run.fake_.service.console = c.console;
    run.Start(c.command, 11, 59, 59);
    if (std::string(c.command) == "12:00 7") run.Window().List("cmbType").index = 7;
    run.fake_.tray.fail = true;
    run.Window().Hide();
    run.fake_.service.log.clear();
    run.Seconds(1);
    std::string calls;
    for (const std::string& call : run.fake_.api.log) calls += call + "|";
    EXPECT_EQ(calls, c.calls) << c.command << " " << c.version;
    EXPECT_EQ(run.fake_.service.log, c.service) << c.command << c.sessionZero;
    EXPECT_EQ(run.fake_.windows.boxes, c.boxes) << c.command << c.sessionZero;
  }
}

// Woken in the last minute the warning starts afresh; after the set minute nothing fires late.
TEST(KeptAlive, WakingPutsTheWarningAwayAndAMissedMinuteStaysMissed) {
  const std::tuple<const char*, int, int, const char*> cases[] = {
      {"12:00 4", 20, 1, "SetSuspendState 0 0 0"},
      {"12:00 4", 120, 0, "SetSuspendState 0 0 0"},
      {"12:00 1", 120, 0, "ExitWindowsEx 5 4294967295"}};
  for (const auto& [command, asleep, fired, call] : cases) {
    ProgramRun run;
    run.Start(command, 11, 59, 9);
    run.Window().ClickOn("cmdHide");
    run.Seconds(1);
    ASSERT_TRUE(run.Window("Attention").Visible());
    run.fake_.clock.Sleep(asleep * 1000);
    run.fake_.tray.log.clear();
    run.Window().SystemResumed();
    EXPECT_EQ(run.fake_.tray.log, (Log{"Toggle", "Icon 99"}));
    EXPECT_FALSE(run.Window("Attention").Visible());
    run.Seconds(1);
    EXPECT_EQ(run.Window("Attention").Visible(), fired == 1) << asleep;
    run.Seconds(120);
    EXPECT_EQ(std::ranges::count(run.fake_.api.log, call), fired) << command << " " << asleep;
  }
}

// Each "Postpone" puts this occurrence off by ten minutes, past midnight too, three times at
// most; an action that ends the session waits for the postponed time as well. The service run,
// whose schedule is locked, offers no postponement.
TEST_F(ProgramTest, APostponedShutDownFiresAtTheNewTimeAndTheServiceOffersNone) {
  Start("23:55 1", 23, 53, 59);
  Window().ClickOn("cmdHide");
  auto postpone = [&]() -> Control& { return Window("Attention").ControlNamed("cmdPostpone"); };
  for (const std::string next : {"00:05", "00:15", "00:25"}) {
    Seconds(next == "00:05" ? 2 : 600);  // the first second of a countdown
    ASSERT_TRUE(Window("Attention").Visible() && postpone().Enabled()) << next;
    Window("Attention").ClickOn("cmdPostpone");
    EXPECT_FALSE(Window("Attention").Visible()) << next;
    EXPECT_EQ(main_.ToolTipText(), "Shutdown at " + next);
  }
  auto shutdowns = [&] { return std::ranges::count(fake_.api.log, "ExitWindowsEx 5 4294967295"); };
  Seconds(600);
  EXPECT_TRUE(Window("Attention").Visible() && !postpone().Enabled()) << "three times at most";
  EXPECT_EQ(shutdowns(), 0);
  Seconds(60);
  EXPECT_EQ(shutdowns(), 1) << "at 00:25";
  EXPECT_FALSE(Check().Enabled());

  ProgramRun service;
  service.Start("12:00 1", 11, 58, 59);
  bool accepted = false;
  service.fake_.service.ServiceStarted(accepted);
  service.Seconds(2);
  EXPECT_TRUE(service.Window("Attention").Visible() &&
              !service.Window("Attention").ControlNamed("cmdPostpone").Visible());
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
  // A refused action is reported with the system's reason, and nothing else happens.
  fake_.windows.boxes.clear();
  fake_.api.refused = {"ExitWindowsEx", "LockWorkStation"};
  fake_.api.errorAfter = {{"ExitWindowsEx", 1235}};
  main_.ExitPowerOffForced();
  main_.LockSession();
  EXPECT_EQ(fake_.windows.boxes, (Log{"Vesperon: Power Off was refused: error 1235",
                                      "Vesperon: Power Off was refused: error 1235"}));
  fake_.api.lastError = 0;
  main_.LockSession();
  EXPECT_EQ(fake_.windows.boxes.back(), "Vesperon: Power Off was refused.");
  EXPECT_FALSE(Window().unloaded);
}

struct FakeScheduler : SystemScheduler {
  std::string Phase() override { return phase; }
  std::string Stop() override { return asked.push_back("Stop"), refusal; }
  std::string Postpone() override { return asked.push_back("Postpone"), refusal; }
  std::string phase = "idle", refusal;
  Log asked;
};

// The service's scheduler a base before the program: it outlives the program, as the service's
// does.
class FollowTest : public FakeScheduler, public ProgramTest {
 protected:
  void SetUp() override { main_.Follow(*this); }
  // The service tells a change of its phase: what the tray did.
  Log Tell(const std::string& told) {
    fake_.tray.log.clear();
    phase = told;
    Changed();
    return std::exchange(fake_.tray.log, {});
  }
};

TEST_F(FollowTest, TheServicesPhasesShowAndItsRefusalKeepsTheProgram) {
  Start("", 23, 59, 50);  // the program's own schedule, 00:00, is not its business now
  EXPECT_FALSE(Window().Visible());
  Seconds(1);
  EXPECT_EQ(DueIn(), 65535) << "the service tells its changes: no beat while nothing is due";
  EXPECT_EQ(Tell("warning"),
            (Log{"Interval 1000", "Mode 2", "Toggle", "Notify Duskline: Power Off at 00:00"}));
  EXPECT_THAT(Tell("countdown"), testing::Contains("Interval 250"));
  ASSERT_TRUE(Window("Attention").Visible());
  refusal = "The administrator does not allow this.";
  Window("Attention").ClickOn("cmdStop");
  Window("Attention").ClickOn("cmdPostpone");
  EXPECT_EQ(fake_.windows.boxes, Log(2, "Vesperon: The administrator does not allow this."));
  Tell("idle");  // another user postponed it
  EXPECT_FALSE(Window("Attention").Visible());
  Seconds(15);
  EXPECT_THAT(fake_.api.log, testing::Each(testing::Not(testing::StartsWith("ExitWindowsEx"))));
  refusal.clear();
  Tell("countdown");
  EXPECT_TRUE(Ends([&] { Window("Attention").ClickOn("cmdStop"); }));
  EXPECT_EQ(asked, (Log{"Stop", "Postpone", "Stop"}));
}

}  // namespace
}  // namespace duskline
