// Whole runs on the fake clock: the warning phases while hidden, the countdown window, the
// firing of the action, and what the check does with odd schedules and failing steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "attention/Attention.h"
#include "scheduler/ScheduleCommand.h"
#include "support/MainHarness.h"

namespace duskline::fakes {
namespace {

using Calls = std::vector<std::string>;

void Append(Calls& calls, int times, const Calls& block) {
  for (int i = 0; i < times; ++i) calls.insert(calls.end(), block.begin(), block.end());
}

int Count(const Calls& calls, const std::string& call) {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

struct FiringCase {
  int typeIndex;
  std::string caption;
  uint32_t flags;
  bool tokenCalls;
};

void PrintTo(const FiringCase& c, std::ostream* os) {
  *os << c.caption;
}

class HiddenRunTest : public testing::TestWithParam<FiringCase> {};

// Schedule 12:00, window hidden, 11:54 to 12:01 second by second.
TEST_P(HiddenRunTest, WarnsCountsDownAndFiresOnce) {
  const FiringCase& c = GetParam();
  MainHarness run("12:00 " + std::to_string(c.typeIndex), 11, 54, 0);
  run.Start();
  run.form().ClickOn("cmdHide");
  ASSERT_FALSE(run.form().Visible());
  FakeClock& clock = run.fake.clock;

  clock.AdvanceTo(11, 58, 59);
  EXPECT_TRUE(run.fake.tray.animating);
  EXPECT_TRUE(run.ScheduleWrites().empty()) << "no write before the last minute";
  EXPECT_EQ(run.attention(), nullptr);

  clock.AdvanceTo(11, 59, 0);
  FakeForm* attention = run.attention();
  ASSERT_NE(attention, nullptr);
  EXPECT_TRUE(attention->Visible());
  EXPECT_EQ(attention->LabelNamed("lblInfo").Caption(), c.caption);
  EXPECT_EQ(attention->LabelNamed("lblTime").Caption(), "will be activated in one Minute.");
  EXPECT_TRUE(run.main.gblnAttentionShown());

  clock.AdvanceSeconds(1);
  EXPECT_EQ(attention->LabelNamed("lblTime").Caption(), "will be activated in 59 seconds.");
  clock.AdvanceTo(11, 59, 45);
  EXPECT_EQ(attention->LabelNamed("lblTime").Caption(), "will be activated in 15 seconds.");
  EXPECT_TRUE(attention->Visible());
  clock.AdvanceSeconds(1);
  EXPECT_FALSE(attention->Visible()) << "tick 46 hides the window";
  EXPECT_EQ(attention->LabelNamed("lblTime").Caption(), "will be activated in 15 seconds.");

  clock.AdvanceTo(11, 59, 59);
  EXPECT_TRUE(run.fake.api.exits.empty());
  clock.AdvanceTo(12, 1, 0);

  const std::string tip = ShutdownTypeName(c.typeIndex) + " at 12:00";
  // Setting the text raises Change before the list holds an index; setting the index Click.
  Calls expected = {"TipText=Logoff at 12:00", "TipText=" + tip, "AddIcon"};
  Append(expected, 59, {"IconCode=99"});  // 11:54:01 .. 11:54:59
  Append(expected, 1, {"AnimationInterval=1000", "AnimationMode=2", "ToggleAnimation"});
  Append(expected, 4 * 60 - 1, {"AnimationInterval=1000", "AnimationMode=2"});
  Append(expected, 60, {"AnimationInterval=250", "AnimationMode=3", "IconCode=2"});
  Append(expected, 1, {"ToggleAnimation", "IconCode=99", "RemoveIcon"});
  EXPECT_EQ(run.fake.tray.log, expected);

  EXPECT_EQ(run.ScheduleWrites(), Calls(60, "12:00 " + std::to_string(c.typeIndex)));
  EXPECT_EQ(run.fake.windows.Created("Attention"), 1);
  EXPECT_FALSE(run.tmrCheck().Enabled());
  EXPECT_EQ(run.fake.api.exits, (std::vector<ExitWindowsCall>{{c.flags, 0xFFFFFFFF}}));
  EXPECT_EQ(Count(run.fake.api.calls, "SetLastError 0"), c.tokenCalls ? 1 : 0);
  EXPECT_TRUE(run.fake.windows.messageBoxes.empty());
  EXPECT_TRUE(run.fake.unhandled.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, HiddenRunTest,
                         testing::Values(FiringCase{0, "Logoff", 4, false},
                                         FiringCase{1, "Shutdown", 5, true},
                                         FiringCase{2, "Power Off", 12, true}));

TEST(ScheduleCheck, ShownWindowGetsNoWarningsButTheActionStillFires) {
  MainHarness run("12:00 1", 11, 54, 0);
  run.Start();
  run.fake.clock.AdvanceTo(12, 1, 0);

  EXPECT_EQ(run.fake.tray.log,
            (Calls{"TipText=Logoff at 12:00", "TipText=Shutdown at 12:00", "RemoveIcon"}));
  EXPECT_TRUE(run.ScheduleWrites().empty());
  EXPECT_EQ(run.fake.windows.Created("Attention"), 0);
  EXPECT_EQ(run.fake.api.exits, (std::vector<ExitWindowsCall>{{5, 0xFFFFFFFF}}));
}

TEST(ScheduleCheck, PrivilegeStepCallsInOrderWithTheirArguments) {
  MainHarness run("12:00 2", 11, 59, 58);
  run.Start();
  run.fake.clock.AdvanceTo(12, 0, 0);

  const Calls expected = {"GetVersion",
                          "SetLastError 0",
                          "GetCurrentProcess",
                          "GetLastError",
                          "OpenProcessToken -1 40",
                          "GetLastError",
                          "LookupPrivilegeValueA '' SeShutdownPrivilege",
                          "GetLastError",
                          "AdjustTokenPrivileges 44 0 {1 19 2} 16 prev len",
                          "GetLastError",
                          "ExitWindowsEx 12 4294967295"};
  EXPECT_EQ(run.fake.api.calls, expected);
}

// Logoff needs no privilege; Windows 95 has no tokens.
TEST(ScheduleCheck, NoTokenFunctionsForLogoffOrOnWindows95) {
  for (auto [type, version, exit] : {std::tuple{0, FakeSystemApi::kWindowsNt, "4"},
                                     {1, FakeSystemApi::kWindows95, "5"},
                                     {2, FakeSystemApi::kWindows95, "12"}}) {
    MainHarness run("12:00 " + std::to_string(type), 11, 59, 58);
    run.fake.api.version = version;
    run.Start();
    run.fake.clock.AdvanceTo(12, 0, 0);
    EXPECT_EQ(run.fake.api.calls,
              (Calls{"GetVersion", "ExitWindowsEx " + std::string(exit) + " 4294967295"}));
  }
}

struct PrivilegeFailure {
  std::string failingCall;
  uint32_t code;
  Calls messages;
};

void PrintTo(const PrivilegeFailure& c, std::ostream* os) {
  *os << c.failingCall;
}

class PrivilegeFailureTest : public testing::TestWithParam<PrivilegeFailure> {};

TEST_P(PrivilegeFailureTest, ReportsEachStepFromTheFailureOnAndStillCallsTheAction) {
  const PrivilegeFailure& c = GetParam();
  MainHarness run("12:00 1", 11, 59, 58);
  run.fake.api.errorAfter[c.failingCall] = c.code;
  std::vector<size_t> exitsWhileBoxOpen;
  run.fake.windows.onMessageBox = [&](const MessageBoxRecord&) {
    exitsWhileBoxOpen.push_back(run.fake.api.exits.size());
    EXPECT_FALSE(run.tmrCheck().Enabled()) << "no tick can start while the box is open";
  };
  run.Start();
  run.fake.clock.AdvanceTo(12, 0, 5);

  std::vector<MessageBoxRecord> expected;
  for (const std::string& message : c.messages) expected.push_back({message, "Vesperon"});
  EXPECT_EQ(run.fake.windows.messageBoxes, expected);
  EXPECT_EQ(exitsWhileBoxOpen, std::vector<size_t>(c.messages.size(), 0));
  EXPECT_EQ(run.fake.api.exits, (std::vector<ExitWindowsCall>{{5, 0xFFFFFFFF}}));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PrivilegeFailureTest,
    testing::Values(
        PrivilegeFailure{"AdjustTokenPrivileges", 1300, {"AdjustTokenPrivileges error==1300"}},
        // The code is cleared once only, so every later step reports it again (the
        // refusals of the other steps are in the fault tests).
        PrivilegeFailure{
            "GetCurrentProcess",
            0x80070005,
            {"GetCurrentProcess error==-2147024891", "OpenProcessToken error==-2147024891",
             "LookupPrivilegeValue error==-2147024891",
             "AdjustTokenPrivileges error==-2147024891"}}));

TEST(ScheduleCheck, ScheduleAtMidnightHasNoWarningBeforeIt) {
  MainHarness run("00:00 2", 23, 57, 0);
  run.Start();
  run.form().ClickOn("cmdHide");
  run.fake.clock.AdvanceTo(23, 59, 59);
  EXPECT_EQ(Count(run.fake.tray.log, "AnimationMode=2"), 0);
  EXPECT_EQ(Count(run.fake.tray.log, "AnimationMode=3"), 0);
  EXPECT_EQ(run.attention(), nullptr);
  run.fake.clock.AdvanceSeconds(1);
  EXPECT_EQ(run.fake.api.exits.size(), 1u);
}

TEST(ScheduleCheck, ScheduleJustAfterMidnightWarnsFromMidnight) {
  MainHarness run("00:03 1", 23, 55, 0);
  run.Start();
  run.form().ClickOn("cmdHide");
  run.fake.clock.AdvanceTo(23, 59, 59);
  EXPECT_EQ(Count(run.fake.tray.log, "AnimationMode=2"), 0) << "difference is negative";
  run.fake.clock.AdvanceTo(0, 0, 0);
  EXPECT_EQ(Count(run.fake.tray.log, "AnimationMode=2"), 1) << "difference 3 at 00:00";
  run.fake.clock.AdvanceTo(0, 2, 0);
  EXPECT_NE(run.attention(), nullptr);
  run.fake.clock.AdvanceTo(0, 3, 0);
  EXPECT_EQ(run.fake.api.exits, (std::vector<ExitWindowsCall>{{5, 0xFFFFFFFF}}));
}

struct OddTimeCase {
  std::string timeText;
  int fireHour, fireMinute;  // -1: never
};

void PrintTo(const OddTimeCase& c, std::ostream* os) {
  *os << '"' << c.timeText << '"';
}

class OddTimeTest : public testing::TestWithParam<OddTimeCase> {};

TEST_P(OddTimeTest, FiresAtTheMinuteTheFieldsMean) {
  const OddTimeCase& c = GetParam();
  MainHarness run(c.timeText + " 1", 0, 0, 30);
  run.Start();
  EXPECT_EQ(run.txtTime().Text(), c.timeText);
  if (c.fireHour < 0) {
    run.fake.clock.AdvanceMinutes(24 * 60);
    EXPECT_TRUE(run.fake.api.exits.empty());
    return;
  }
  if (c.fireHour != 0 || c.fireMinute != 0) {
    const int before = c.fireHour * 60 + c.fireMinute - 1;
    run.fake.clock.AdvanceTo(before / 60, before % 60, 59);
    EXPECT_TRUE(run.fake.api.exits.empty()) << "not before the set minute";
  }
  run.fake.clock.AdvanceTo(c.fireHour, c.fireMinute, 1);
  EXPECT_EQ(run.fake.api.exits.size(), 1u);
  run.fake.clock.AdvanceMinutes(24 * 60);
  EXPECT_EQ(run.fake.api.exits.size(), 1u) << "the check switched itself off";
}

INSTANTIATE_TEST_SUITE_P(Texts, OddTimeTest,
                         testing::Values(OddTimeCase{"7", 7, 7}, OddTimeCase{"0730", 7, 30},
                                         OddTimeCase{"12:5", 12, 0}, OddTimeCase{"", 0, 0},
                                         OddTimeCase{"abc", 0, 0}, OddTimeCase{"25:00", -1, 0},
                                         OddTimeCase{"12:75", -1, 0}, OddTimeCase{"24:00", -1, 0}));

TEST(ScheduleCheck, StopEndsTheProgramBeforeTheAction) {
  MainHarness run("12:00 1", 11, 58, 0);
  run.Start();
  run.form().ClickOn("cmdHide");
  run.fake.clock.AdvanceTo(11, 59, 10);
  ASSERT_NE(run.attention(), nullptr);
  EXPECT_THROW(run.attention()->ClickOn("cmdStop"), ProgramEnded);
  EXPECT_EQ(run.fake.app.ends, 1);
  EXPECT_TRUE(run.fake.api.exits.empty());
}

TEST(ScheduleCheck, AnEditInTheLastMinuteRestartsTheCountdownWithTheNewType) {
  MainHarness run("12:00 1", 11, 58, 0);
  run.Start();
  run.form().ClickOn("cmdHide");
  run.fake.clock.AdvanceTo(11, 59, 50);
  FakeForm* attention = run.attention();
  ASSERT_NE(attention, nullptr);
  EXPECT_FALSE(attention->Visible()) << "hidden since tick 46";

  run.fake.tray.Activate();
  ASSERT_TRUE(run.form().Visible());
  run.form().Pick("cmbType", 2);
  EXPECT_FALSE(run.main.gblnAttentionShown());
  run.form().ClickOn("cmdHide");
  run.fake.clock.AdvanceSeconds(1);

  EXPECT_EQ(run.attention(), attention) << "the one instance is shown again";
  EXPECT_EQ(run.fake.windows.Created("Attention"), 1);
  EXPECT_TRUE(attention->Visible());
  EXPECT_EQ(attention->LabelNamed("lblInfo").Caption(), "Power Off");
  run.fake.clock.AdvanceSeconds(1);
  EXPECT_TRUE(attention->Visible());
  EXPECT_EQ(attention->LabelNamed("lblTime").Caption(), "will be activated in 59 seconds.");

  run.fake.clock.AdvanceTo(12, 0, 1);
  EXPECT_EQ(run.fake.api.exits, (std::vector<ExitWindowsCall>{{12, 0xFFFFFFFF}}));
  EXPECT_EQ(run.ScheduleWrites().back(), "12:00 2") << "the edit was saved on leaving the list";
}

TEST(ScheduleCheck, FailingStepsAreSkippedSilently) {
  MainHarness run("12:00 1", 11, 58, 58);
  run.Start();
  run.form().ClickOn("cmdHide");
  run.fake.tray.failures.Fail("AnimationInterval");
  run.fake.tray.failures.Fail("RemoveIcon");
  run.fake.windows.failures.Fail("CreateForm Attention");
  run.fake.clock.AdvanceTo(12, 0, 0);

  EXPECT_EQ(run.attention(), nullptr);
  EXPECT_TRUE(run.main.gblnAttentionShown()) << "set although the window failed";
  EXPECT_EQ(run.fake.tray.log.back(), "IconCode=99");
  EXPECT_EQ(Count(run.fake.tray.log, "AnimationMode=3"), 60);
  EXPECT_EQ(Count(run.fake.tray.log, "IconCode=2"), 60);
  EXPECT_EQ(run.ScheduleWrites().size(), 60u);
  EXPECT_EQ(run.fake.api.exits.size(), 1u);
  EXPECT_TRUE(run.fake.windows.messageBoxes.empty());
  EXPECT_TRUE(run.fake.unhandled.empty());
}

TEST(ScheduleCheck, FailingTimerSwitchOffStillFiresTheActionOnce) {
  MainHarness run("12:00 0", 11, 59, 59);
  run.Start();
  run.tmrCheck().failures.Fail("Enabled", kErrPropertyMissing, 1);
  run.fake.clock.AdvanceTo(12, 0, 0);
  EXPECT_EQ(run.fake.api.exits.size(), 1u);
  EXPECT_TRUE(run.fake.unhandled.empty());
}

}  // namespace
}  // namespace duskline::fakes
