// The triggers besides a time of day: their stored and command-line forms, and the check on
// the fake clock, idle source and process watch.
#include <gtest/gtest.h>

#include <algorithm>

#include "attention/Attention.h"
#include "support/ProgramRun.h"

namespace duskline {
namespace {

TEST(Trigger, StoredAndCommandLineForms) {
  // text, read back as stored ("" where malformed) or, from "in", "idle", "after", as given
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"In 0:30", "In 0:30"}, {"Idle 12:05", "Idle 12:05"}, {"After A B", "After A B"},
      {"In 0:00", ""}, {"In 1:60", ""}, {"In 123:00", ""}, {"In :30", ""}, {"In 0:3", ""},
      {"in 0:30", ""}, {"After ", ""}, {"Soon 0:30", ""}, {"+0:30 1", ""}, {"12:00 1", ""},
      {"in 0:30 1", "In 0:30|1"}, {"idle 0:20 0", "Idle 0:20|0"}, {"after my tool 6", "After my tool|6"},
      {"in 0:61 1", ""}, {"In 0:1/", ""}, {"In 0:01", "In 0:01"}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    const auto given = ParseTriggerCommand(text);
    const auto stored = ParseTrigger(text);
    EXPECT_EQ(given    ? StoredTrigger(given->trigger) + "|" + std::to_string(given->typeIndex)
              : stored ? StoredTrigger(*stored)
                       : "",
              expected)
        << text;
  }
}

struct TriggerRun : ProgramRun {
  bool Acted(const char* call) { return std::ranges::count(fake_.api.log, call) > 0; }
  bool Counting() { return main_.attention() && main_.attention()->form().Visible(); }
};

class TriggerTest : public testing::Test, public TriggerRun {};

// "In" counts on the elapsed time: setting the clock moves only the clock time it names. A
// service run's event log names the trigger.
TEST_F(TriggerTest, InActsAfterItsDurationWithTheCountdownWhateverTheClockSays) {
  Start("in 0:02 6", 10, 0, 0);
  bool started = false;
  fake_.service.ServiceStarted(started);
  EXPECT_EQ(fake_.tray.log[2], "Tip Lock at 10:02 (in 0:02)");
  fake_.clock.Set(3600 * 1000);
  Window().ClockChanged();
  EXPECT_EQ(fake_.tray.log.back(), "Tip Lock at 11:02 (in 0:02)");
  const Log warned = Seconds(1);  // two minutes away: the slow warning at once
  EXPECT_NE(std::ranges::find(warned, "Mode 2"), warned.end());
  Seconds(60);
  EXPECT_TRUE(Counting());
  Seconds(58);
  EXPECT_FALSE(Acted("LockWorkStation"));
  Seconds(1);
  EXPECT_TRUE(Acted("LockWorkStation"));
  EXPECT_FALSE(Counting());
  EXPECT_EQ(DueIn(), 65535) << "done: the check rests";
  EXPECT_EQ(fake_.service.log.back(), "Event 4 110 Lock in 0:02");
  EXPECT_TRUE(fake_.ini.log.empty()) << "nothing stored from a command line";
}

// Idle is looked at when it could first reach a phase; input, even in the last second, puts
// the countdown away and the count starts again from the input.
TEST_F(TriggerTest, IdleActsAfterItsTimeWithoutInputAndInputRestartsTheCount) {
  const char* lock = "LockWorkStation";
  Start("idle 0:10 6", 10, 0, 0);
  Window().ClickOn("cmdHide");
  Seconds(1);
  const int asked = fake_.idle.asked;
  Seconds(298);
  EXPECT_EQ(fake_.idle.asked, asked + 4) << "while it cannot be due, at the timer's longest beat";
  Seconds(2);
  EXPECT_TRUE(fake_.tray.animating);
  Seconds(248);
  EXPECT_TRUE(Counting());
  Seconds(50);
  fake_.idle.Input();  // 10:09:59
  Seconds(1);
  EXPECT_FALSE(Counting());
  EXPECT_FALSE(fake_.tray.animating);
  Seconds(598);
  EXPECT_FALSE(Acted(lock));
  Seconds(1202);
  EXPECT_EQ(std::ranges::count(fake_.api.log, lock), 1) << "once until the next input";
}

// A program's end brings the countdown for its minute, over the window too; Postpone puts it
// off ten minutes. A program that is not running is refused. A field is saved when left.
TEST_F(TriggerTest, AfterAProgramEndsTheCountdownRunsItsMinuteThenTheAction) {
  fake_.processes.running = {"notepad.exe", "other"};
  Start("12:00 6", 10, 0, 0);
  Window().List("cmbTrigger").SetListIndex(2);
  Window().Text("txtWait").SetText("0:45");
  Window().Text("txtWait").LostFocus();
  EXPECT_EQ(fake_.ini.entries[kIni + " [Command] Trigger"], "Idle 0:45");
  Window().Text("txtProgram").SetText("calc.exe");
  Window().List("cmbTrigger").SetListIndex(3);
  EXPECT_EQ(
      fake_.windows.boxes,
      std::vector<std::string>{"Vesperon: calc.exe is not running; choose a running program."});
  Window().Text("txtProgram").SetText("notepad.exe");
  Window().Text("txtProgram").LostFocus();
  EXPECT_EQ(fake_.ini.entries[kIni + " [Command] Trigger"], "After notepad.exe");
  EXPECT_EQ(fake_.tray.log.back(), "Tip Lock when notepad.exe ends");
  Seconds(3600);
  fake_.processes.End("other");
  fake_.processes.End("notepad.exe");
  Seconds(1);
  EXPECT_TRUE(Counting());
  Window("Attention").ClickOn("cmdPostpone");
  Seconds(658);
  EXPECT_FALSE(Acted("LockWorkStation"));
  Seconds(3600);
  EXPECT_EQ(std::ranges::count(fake_.api.log, "LockWorkStation"), 1) << "one occurrence";
}

// Whatever brings the action besides the user's own time of day, the countdown shows first
// and runs its whole minute, over the open window too: nobody's input for an hour before the
// start or the waking, a policy that arrives within its minute or the minute before.
TEST(Trigger, NoActionBeforeTheCountdownHasRunItsMinute) {
  // command line, the policy's Code and Trigger, start at 10:00:SS, then asleep for seconds;
  // the countdown and the action, seconds after that
  // clang-format off
  const std::tuple<const char*, const char*, const char*, int, int, int, int> cases[] = {
      {"idle 0:02 6", "", "", 0, 0, 60, 120},   {"idle 0:01 6", "", "", 0, 0, 1, 61},
      {"idle 0:02 6", "", "", 0, 600, 60, 120}, {"in 0:01 6", "", "", 30, 0, 1, 61},
      {"", "10:00 6", "", 10, 0, 1, 61},        {"", "10:01 6", "", 50, 0, 1, 61},
      {"", "23:00 6", "Idle 0:01", 0, 0, 1, 61}};
  // clang-format on
  for (const auto& [arguments, code, trigger, second, sleep, countdown, action] : cases) {
    TriggerRun run;
    run.fake_.idle.lastInput = -3600 * 1000;
    run.Start(arguments, 10, 0, second);
    for (const auto& [name, value] : {std::pair{kPolicyCode, code}, {kPolicyTrigger, trigger}})
      if (*value)
        run.fake_.policy.values[{PolicyScope::Machine, name}] = {PolicyValue::Kind::Text, value};
    if (*code) run.fake_.policy.Changed();
    run.fake_.clock.Sleep(sleep * 1000);
    run.Window().SystemResumed();
    int shown = -1, acted = -1;
    for (int at = 0; at <= 180 && acted < 0; ++at, run.Seconds(1)) {
      if (shown < 0 && run.Counting()) shown = at;
      if (run.Acted("LockWorkStation")) acted = at;
    }
    EXPECT_EQ(std::pair(shown, acted), std::pair(countdown, action)) << arguments << code;
  }
}

// Postpone puts an occurrence off three times at most; once the action came, the next one may
// be put off three times again, from its own duration.
TEST_F(TriggerTest, PostponementsCountAfreshOnceTheActionCame) {
  Start("idle 0:01 6", 10, 0, 0);
  auto postpone = [&]() -> Control& { return Window("Attention").ControlNamed("cmdPostpone"); };
  for (int seconds : {1, 600, 600, 600}) {
    Seconds(seconds);
    ASSERT_TRUE(Counting()) << seconds;
    if (postpone().Enabled()) Window("Attention").ClickOn("cmdPostpone");
  }
  EXPECT_FALSE(postpone().Enabled());
  Seconds(60);
  EXPECT_TRUE(Acted("LockWorkStation"));
  fake_.idle.Input();
  Seconds(10);
  EXPECT_TRUE(Counting());
  EXPECT_TRUE(postpone().Enabled());
}

}  // namespace
}  // namespace duskline
