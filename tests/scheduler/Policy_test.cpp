// The administrator's policy: which schedule wins, what a malformed value does, a change while
// the program runs, and a countdown without "Stop" or "Postpone". The settings file is never
// written with a schedule from policy.
#include <gtest/gtest.h>

#include <algorithm>

#include "scheduler/ScheduleCommand.h"
#include "scheduler/ScheduleTime.h"
#include "support/ProgramRun.h"

namespace duskline {
namespace {

using fakes::ErrorOf;
using fakes::FakePolicyStore;
constexpr PolicyScope kMachine = PolicyScope::Machine;
constexpr PolicyScope kUser = PolicyScope::User;

// The schedule's text as the program reads it: the time text, then the index with a sign
// position; its hour and minute, and the minute of the day only while it fits 16 bits.
TEST(ScheduleCommand, TimeTextThenTheIndexWithASignPosition) {
  EXPECT_EQ(ProduceScheduleCommand("07:30", 1), "07:30 1");
  EXPECT_EQ(ProduceScheduleCommand("07:30", -1), "07:30-1");
  // clang-format off
  const std::tuple<const char*, const char*, int> cases[] = {
      {"07:30 1", "07:30", 1}, {"0730", "", 0}, {"7:30 2 ", "7:30", 2}, {" 2", "", 2},
      {"1 1.5", "1", 2}, {"a b", "a", 0}, {"x -1", "x", -1}};
  // clang-format on
  for (const auto& [text, time, index] : cases) {
    const ScheduleParts parts = ParseScheduleCommand(text);
    EXPECT_EQ(std::tie(parts.timeText, parts.typeIndex), std::tie(time, index)) << text;
  }
  EXPECT_EQ(ErrorOf([] { ParseScheduleCommand("12:00 99999"); }), kErrOverflow);
  // clang-format off
  const std::pair<const char*, const char*> paths[] = {
      {"C:\\D", "C:\\D\\Vesperon.ini"}, {"C:\\", "C:\\Vesperon.ini"}, {"/d/", "/d/Vesperon.ini"},
      {"", "\\Vesperon.ini"}};
  // clang-format on
  for (const auto& [path, file] : paths) EXPECT_EQ(ScheduleFilePath(path), file);
  // The hour from the time text's first two characters, the minute from its last two.
  const std::tuple<const char*, int16_t, int16_t> fields[] = {
      {"0730", 7, 30}, {"123", 12, 23}, {"7", 7, 7}, {"12:5", 12, 0}, {"abc", 0, 0}};
  for (const auto& [text, hour, minute] : fields)
    EXPECT_EQ(std::pair(HourField(text), MinuteField(text)), std::pair(hour, minute)) << text;
  const std::tuple<int, int, int> minutes[] = {{546, 7, 32767}, {546, 8, -1},   {-546, -8, -32768},
                                               {-546, -9, -1},  {547, -99, -1}, {-547, 99, -1}};
  for (const auto& [hour, minute, ofDay] : minutes) {
    int32_t result = -1;
    const int error = ErrorOf([&] { result = MinuteOfDay(hour, minute); });
    EXPECT_EQ(result, ofDay) << hour << ":" << minute;
    EXPECT_EQ(error, ofDay == -1 ? kErrOverflow : 0) << hour << ":" << minute;
  }
  // Minutes carry into the hour and hours into the next day.
  const int64_t monday = CalendarMinute({2024, 1, 1, 0, 0});
  const std::pair<int64_t, const char*> times[] = {
      {59, "00:59"}, {60, "01:00"}, {1439, "23:59"}, {1445, "00:05"}, {-1, "23:59"}};
  for (const auto& [minutes, text] : times) EXPECT_EQ(HourAndMinute(monday + minutes), text);
  EXPECT_EQ(FromCalendarMinute(monday + 1445), (LocalTime{2024, 1, 2, 0, 5, 0}));
}

// Computer's policy, command line, user's policy, settings file, default: in this order.
TEST(PolicyPrecedence, TheComputerBeatsTheCommandLineWhichBeatsTheUser) {
  struct Case {
    const char *machine, *user, *arguments, *time;
    int type;
    bool locked;
    std::string warning;  // the start of the one entry after Accept and Run
  };
  const std::string ignored =
      "Event 2 111 The schedule on the command line (06:00 1) is ignored: "
      "the computer's policy sets 22:30 2.";
  // clang-format off
  const Case cases[] = {
      {nullptr,   nullptr,   "",        "07:30", 1, false, ""},  // the file's
      {nullptr,   "21:00 0", "",        "21:00", 0, true,  ""},
      {"22:30 2", "21:00 0", "",        "22:30", 2, true,  ""},
      {nullptr,   "21:00 0", "06:00 1", "06:00", 1, false, ""},
      {"22:30 2", nullptr,   "06:00 1", "22:30", 2, true,  ignored},
      {"25:00 2", "21:00 0", "",        "21:00", 0, true,  "Event 2 111 The policy value HKLM\\Code"},
  };
  // clang-format on
  for (const Case& c : cases) {
    ProgramRun run;
    run.fake_.ini.entries[kIni + " [Command] Code"] = "07:30 1";
    run.fake_.ini.entries[kIni + " [Command] Days"] = "Mon Tue";
    if (c.machine) run.fake_.policy.values[{kMachine, "Code"}] = FakePolicyStore::Text(c.machine);
    if (c.user) run.fake_.policy.values[{kUser, "Code"}] = FakePolicyStore::Text(c.user);
    run.Start(c.arguments, 10, 0);
    EXPECT_EQ(run.Window().Text("txtTime").text, c.time) << c.time;
    EXPECT_EQ(run.Window().List("cmbType").index, c.type) << c.time;
    EXPECT_EQ(run.Window().Text("txtTime").Enabled(), !c.locked) << c.time;
    EXPECT_EQ(run.Window().ToggleNamed("chkDay", 0).Enabled(), !c.locked) << c.time;
    EXPECT_EQ(run.Window().List("cmbTrigger").Enabled(), !c.locked) << c.time;
    // A schedule from policy or the command line applies every day.
    EXPECT_EQ(run.main_.ChosenDays(), c.locked || *c.arguments ? kEveryDay : 0x03) << c.time;
    EXPECT_EQ(run.main_.ToolTipText().ends_with(" (set by your administrator)"), c.locked);
    const Log& log = run.fake_.service.log;
    EXPECT_EQ(log.size(), c.warning.empty() ? 2u : 3u) << c.time;
    EXPECT_TRUE(log.back().starts_with(c.warning)) << log.back();
  }
}

// Each malformed value is one warning naming it; the same value read again says nothing more,
// the same value back after its removal is told again.
TEST_F(ProgramTest, AMalformedValueIsIgnoredWithOneEntryNamingIt) {
  const std::tuple<const char*, PolicyValue, std::string> cases[] = {
      {"Code", FakePolicyStore::Number(1),
       "HKLM\\Code = 1 is not a schedule: HH:MM, a blank and an action 0 to 6, such as 22:30 1"},
      {"Days", FakePolicyStore::Text("Mon,Tue"),
       "HKLM\\Days = \"Mon,Tue\" is not days of the week: Mon Tue Wed Thu Fri Sat Sun, in this "
       "order, one blank between two"},
      {"NoStop", FakePolicyStore::Number(2), "HKLM\\NoStop = 2 is not 0 or 1"},
      {"NoPostpone", FakePolicyStore::Text("yes"), "HKLM\\NoPostpone = \"yes\" is not 0 or 1"},
      {"NoStop", PolicyValue{PolicyValue::Kind::Unreadable, {}, 0},
       "HKLM\\NoStop cannot be read or is of the wrong type"},
      {"NoPostpone", FakePolicyStore::Text("yes"), "HKLM\\NoPostpone = \"yes\" is not 0 or 1"}};
  fake_.ini.entries[kIni + " [Command] Code"] = "07:30 1";
  Start("", 10, 0);
  for (const auto& [name, value, text] : cases) {
    fake_.service.log.clear();
    fake_.policy.Set(kMachine, name, value);
    fake_.policy.Changed();
    EXPECT_EQ(fake_.service.log, Log{"Event 2 111 The policy value " + text + "; it is ignored."});
    EXPECT_EQ(main_.policy(), Policy{}) << name;
    fake_.policy.Remove(kMachine, name);
  }
  EXPECT_FALSE(ended_);
}

// NoStop and NoPostpone take the buttons out of the countdown, also of one already open.
TEST_F(ProgramTest, NoStopAndNoPostponeTakeTheirButtonsAway) {
  Start("12:00 4", 11, 58, 59);
  Window().ClickOn("cmdHide");
  Seconds(2);
  Control &stop = Window("Attention").ControlNamed("cmdStop"),
          &postpone = Window("Attention").ControlNamed("cmdPostpone");
  ASSERT_TRUE(stop.Visible() && postpone.Visible());
  fake_.policy.Set(kUser, "NoStop", FakePolicyStore::Number(1));
  fake_.policy.Set(kMachine, "NoPostpone", FakePolicyStore::Text("1"));
  EXPECT_FALSE(stop.Visible() || postpone.Visible());
  Window("Attention").ClickOn("cmdPostpone");
  Window("Attention").ClickOn("cmdStop");
  EXPECT_EQ(main_.ToolTipText(), "Sleep at 12:00");
  Seconds(60);
  EXPECT_EQ(std::ranges::count(fake_.api.log, "SetSuspendState 0 0 0"), 1);
  fake_.clock.Sleep((24 * 3600 - 62) * 1000LL);  // the next day's last minute
  Seconds(2);
  fake_.policy.Set(kUser, "NoStop", FakePolicyStore::Number(0));
  EXPECT_TRUE(stop.Visible() && !postpone.Visible());
}

TEST(PolicyFormat, SchedulesAndDaysAsAnInstallerTakesThem) {
  for (const char* good : {"00:00 0", "23:59 6", "22:30 1"})
    EXPECT_TRUE(IsWellFormedSchedule(good));
  for (const char* bad :
       {"24:00 1", "12:60 1", "12:00 7", "2:30 1", "12:30  1", "12.30 1", "12:30 1 ", " 12:30 1",
        "12:3a 1", "x2:30 1", "1/:30 1", "12:x0 1", "12:30 -1", ""})
    EXPECT_FALSE(IsWellFormedSchedule(bad)) << bad;
  // clang-format off
  const std::pair<const char*, std::optional<DaySet>> days[] = {
      {"Mon", 0x01}, {"Mon Tue Wed Thu Fri", 0x1F}, {"Sat Sun", 0x60},
      {"Mon Tue Wed Thu Fri Sat Sun", kEveryDay}, {"Tue Mon", {}}, {"Mon Mon", {}}, {"mon", {}},
      {"Mon  Tue", {}}, {"Mon ", {}}, {" Mon", {}}, {"Monday", {}}, {"", {}}};
  // clang-format on
  for (const auto& [text, set] : days) EXPECT_EQ(WellFormedDays(text), set) << text;
}

}  // namespace
}  // namespace duskline
