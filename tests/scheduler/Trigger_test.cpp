// The triggers besides a time of day: their stored and command-line forms, and the check on
// the fake clock, idle source and process watch.
#include <gtest/gtest.h>

#include <algorithm>

#include "attention/Attention.h"
#include "support/ProgramRun.h"

namespace duskline {
namespace {

TEST(Trigger, StoredAndCommandLineForms) {
  // text, stored form read back ("" where malformed), command line read back
  // clang-format off
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"In 0:30", "In 0:30", nullptr},        {"Idle 12:05", "Idle 12:05", nullptr},
      {"After Google Chrome", "After Google Chrome", nullptr},
      {"In 0:00", "", nullptr},               {"In 1:60", "", nullptr},
      {"In 123:00", "", nullptr},             {"In :30", "", nullptr},
      {"In 0:3", "", nullptr},                {"in 0:30", "", nullptr},
      {"After ", "", nullptr},                {"Soon 0:30", "", nullptr},
      {"in 0:30 1", nullptr, "In 0:30|1"},    {"idle 0:20 0", nullptr, "Idle 0:20|0"},
      {"after my tool 6", nullptr, "After my tool|6"},
      {"in 0:30", nullptr, ""},               {"in 0:61 1", nullptr, ""},
      {"+0:30 1", nullptr, ""},               {"12:00 1", nullptr, ""}};
  // clang-format on
  for (const auto& [text, stored, command] : cases) {
    if (stored) {
      const std::optional<Trigger> trigger = ParseTrigger(text);
      EXPECT_EQ(trigger ? StoredTrigger(*trigger) : "", stored) << text;
    } else {
      const std::optional<TriggerCommand> given = ParseTriggerCommand(text);
      EXPECT_EQ(given ? StoredTrigger(given->trigger) + "|" + std::to_string(given->typeIndex) : "",
                command)
          << text;
    }
  }
  EXPECT_EQ(ParseTrigger(""), Trigger{}) << "no value: the time of day";
}

struct TriggerRun : ProgramRun {
  bool Acted(const char* call = "ExitWindowsEx 5 4294967295") {
    return std::ranges::count(fake_.api.log, call) > 0;
  }
  bool Counting() {
    Attention* attention = main_.attention();
    return attention && attention->form().Visible();
  }
  int64_t DueIn() { return Window().FakeTimerNamed("tmrCheck").due - fake_.clock.elapsed; }
};

class TriggerTest : public testing::Test, public TriggerRun {};

// "In" counts on the elapsed time: setting the clock moves only the clock time it names.
TEST_F(TriggerTest, InActsAfterItsDurationWithTheCountdownWhateverTheClockSays) {
  Start("in 0:02 1", 10, 0, 0);
  Window().ClickOn("cmdHide");
  EXPECT_EQ(fake_.tray.log[2], "Tip Shutdown at 10:02 (in 0:02)");
  fake_.clock.Set(3600 * 1000);
  Window().ClockChanged();
  EXPECT_EQ(fake_.tray.log.back(), "Tip Shutdown at 11:02 (in 0:02)");
  EXPECT_EQ(Seconds(1), (Log{"Interval 1000", "Mode 2", "Toggle",
                             "Notify Duskline: Shutdown at 11:02 (in 0:02)"}));
  Seconds(59);
  EXPECT_TRUE(Counting());
  Seconds(59);
  EXPECT_FALSE(Acted());
  Seconds(1);
  EXPECT_TRUE(Acted());
  EXPECT_TRUE(fake_.ini.log.empty()) << "nothing stored from a command line";

  TriggerRun service;  // the event log names the trigger
  service.Start("in 0:01 6", 10, 0, 0);
  bool started = false;
  service.fake_.service.ServiceStarted(started);
  service.Seconds(60);
  EXPECT_EQ(service.fake_.service.log.back(), "Event 4 110 Lock in 0:01");
}

// Idle is looked at when it could first reach a phase; input, even in the last second, puts
// the countdown away and the count starts again from the input.
TEST_F(TriggerTest, IdleActsAfterItsTimeWithoutInputAndInputRestartsTheCount) {
  Start("idle 0:10 0", 10, 0, 0);
  Window().ClickOn("cmdHide");
  Seconds(1);
  EXPECT_EQ(DueIn(), 299000);
  const int asked = fake_.idle.asked;
  Seconds(298);
  EXPECT_EQ(fake_.idle.asked, asked) << "nothing asked while it cannot be due";
  Seconds(250);
  EXPECT_TRUE(Counting());
  Seconds(50);
  fake_.idle.Input();  // 10:09:59
  Seconds(1);
  EXPECT_FALSE(Counting());
  EXPECT_FALSE(fake_.tray.animating);
  EXPECT_FALSE(Acted("ExitWindowsEx 4 4294967295"));
  Seconds(598);
  EXPECT_FALSE(Acted("ExitWindowsEx 4 4294967295"));
  Seconds(2);
  EXPECT_TRUE(Acted("ExitWindowsEx 4 4294967295"));

  TriggerRun unknown;  // a system that cannot tell: nothing happens
  unknown.fake_.idle.known = false;
  unknown.Start("idle 0:01 0", 10, 0, 0);
  unknown.Seconds(600);
  EXPECT_FALSE(unknown.Acted("ExitWindowsEx 4 4294967295"));
}

// A program's end brings the countdown for its minute, over the window too; Postpone puts it
// off ten minutes. A program that is not running is refused.
TEST_F(TriggerTest, AfterAProgramEndsTheCountdownRunsItsMinuteThenTheAction) {
  fake_.processes.running = {"notepad.exe", "other"};
  Start("12:00 6", 10, 0, 0);
  Window().Text("txtProgram").SetText("calc.exe");
  Window().List("cmbTrigger").SetListIndex(3);
  EXPECT_EQ(
      fake_.windows.boxes,
      std::vector<std::string>{"Vesperon: calc.exe is not running; choose a running program."});
  Window().Text("txtProgram").SetText("notepad.exe");
  Window().Text("txtProgram").LostFocus();
  EXPECT_EQ(fake_.processes.watched, "notepad.exe");
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
  Seconds(1);
  EXPECT_TRUE(Acted("LockWorkStation"));
  Seconds(3600);
  EXPECT_EQ(std::ranges::count(fake_.api.log, "LockWorkStation"), 1) << "one occurrence";
}

// A stored In is not resumed, only offered; Idle is. Choosing the time of day again removes
// the key; a file without one is never written to by loading.
TEST_F(TriggerTest, StoredTriggersAndTheirRemoval) {
  fake_.ini.entries[kIni + " [Command] Code"] = "12:00 1";
  fake_.ini.entries[kIni + " [Command] Trigger"] = "In 0:30";
  Start("", 10, 0, 0);
  EXPECT_EQ(main_.CurrentTrigger(), (Trigger{TriggerKind::TimeOfDay, "0:30", ""}));
  EXPECT_TRUE(fake_.ini.log.empty());
  Window().List("cmbTrigger").SetListIndex(2);
  Window().List("cmbTrigger").LostFocus();
  EXPECT_EQ(fake_.ini.entries[kIni + " [Command] Trigger"], "Idle 0:30");
  Window().List("cmbTrigger").SetListIndex(0);
  Window().List("cmbTrigger").LostFocus();
  EXPECT_FALSE(fake_.ini.entries.contains(kIni + " [Command] Trigger"));

  TriggerRun idle;
  idle.fake_.ini.entries[kIni + " [Command] Trigger"] = "Idle 0:20";
  idle.Start("", 10, 0, 0);
  EXPECT_EQ(idle.main_.CurrentTrigger().kind, TriggerKind::Idle);
  EXPECT_EQ(idle.fake_.tray.log.back(), "Tip Power Off after 0:20 idle");
}

}  // namespace
}  // namespace duskline
