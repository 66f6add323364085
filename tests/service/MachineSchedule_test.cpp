// The system service's schedule on a fake clock: phases, the action for every session, and
// the users' requests against the policy.
#include "service/MachineSchedule.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/test/Fakes.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {
namespace {

using Texts = std::vector<std::string>;

struct FakeMachine : Machine {
  std::string Carry(MachineAction action, int& count) override {
    carried.push_back(action);
    count = 2;
    return {};
  }
  void WriteEventLogEntry(int16_t type, int32_t, const std::string& text) override {
    journal.push_back(std::to_string(type) + " " + text);
  }
  std::vector<MachineAction> carried;
  Texts journal;
};

const SessionInfo kDesk{"x11", "user", true};

class MachineScheduleTest : public ::testing::Test {
 protected:
  // Monday 1 January 2024, from 11:54:30, a tick a second up to the given second of the day.
  void Run(MachinePolicy policy, int untilHour, int untilMinute, int untilSecond = 0) {
    schedule.SetPolicy(policy);
    TickUntil(untilHour, untilMinute, untilSecond);
  }
  void TickUntil(int hour, int minute, int second = 0) {
    while (clock.Now().hour * 3600 + clock.Now().minute * 60 + clock.Now().second <
           hour * 3600 + minute * 60 + second) {
      schedule.Tick();
      clock.Advance(1000);
    }
  }
  fakes::FakeClock clock;
  FakeMachine machine;
  MachineSchedule schedule{clock, machine};
  std::vector<Phase> phases;  // each that began
  int changes = 0;
  void SetUp() override {
    clock.start = {2024, 1, 1, 11, 54, 30};
    schedule.Changed = [this](std::optional<Phase> began) {
      ++changes;
      if (began) phases.push_back(*began);
    };
  }
};

TEST_F(MachineScheduleTest, WarnsCountsDownAndActsOnceForEverySession) {
  Run({"12:00", kLogoff, 1}, 11, 54, 31);  // on Mondays
  EXPECT_EQ(schedule.phase(), Phase::kIdle);
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 1, 12, 0, 0}));
  TickUntil(11, 55, 1);
  EXPECT_EQ(schedule.phase(), Phase::kWarning);
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 1, 12, 0, 0}));
  TickUntil(11, 59, 1);
  EXPECT_EQ(schedule.phase(), Phase::kCountdown);
  TickUntil(12, 1);
  EXPECT_EQ(machine.carried, std::vector{MachineAction::kEndSessions});
  EXPECT_EQ(phases, (std::vector{Phase::kWarning, Phase::kCountdown, Phase::kIdle}));
  EXPECT_EQ(machine.journal, Texts{"4 Logoff at 12:00: 2 graphical sessions ended"});
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 8, 12, 0, 0}));
  EXPECT_EQ(changes, 4);              // the new policy, then each phase
  clock.Sleep(7 * 24 * 3600 * 1000);  // past the next occurrence, unseen
  schedule.Tick();
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 15, 12, 0, 0}));
  EXPECT_EQ(changes, 5);
  schedule.SetPolicy(MachinePolicy{"12:00", kLogoff, 1, true});  // NoStop alone
  schedule.Tick();
  EXPECT_EQ(changes, 6);
}

TEST_F(MachineScheduleTest, PostponesTenMinutesThreeTimes) {
  Run({"12:00", kLock}, 11, 59, 10);
  for (int minutes : {10, 20, 30}) {
    EXPECT_EQ(schedule.Postpone(kDesk), Refusal::kNone);
    EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 1, 12, minutes, 0}));
    EXPECT_EQ(schedule.phase(), Phase::kIdle);
    TickUntil(12, minutes - 1, 10);
    EXPECT_EQ(schedule.phase(), Phase::kCountdown);
  }
  EXPECT_EQ(schedule.Postpone(kDesk), Refusal::kNoMorePostponements);
  TickUntil(12, 30, 30);
  EXPECT_EQ(machine.carried, std::vector{MachineAction::kLockSessions});
  EXPECT_EQ(machine.journal.back(), "4 Lock at 12:30: 2 graphical sessions locked");
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 2, 12, 0, 0}));
  clock.start = {2024, 1, 2, 11, 59, 10};  // the next day's own time, to be postponed afresh
  clock.elapsed = 0;
  schedule.Tick();
  EXPECT_EQ(schedule.Postpone(kDesk), Refusal::kNone);
}

// Whenever the service takes the policy (at boot, a change of the file), the countdown runs
// its whole minute before the action: within the set minute, the minute before, an In of one.
TEST(MachineScheduleCountdown, RunsItsMinuteBeforeTheAction) {
  const MachinePolicy in{"", kLogoff, kEveryDay, false, false, {TriggerKind::In, "0:01", ""}};
  for (const auto& [policy, second] :
       {std::pair{MachinePolicy{"11:59"}, 10}, {MachinePolicy{"12:00"}, 30}, {in, 50}}) {
    fakes::FakeClock clock;
    clock.start = {2024, 1, 1, 11, 59, second};
    FakeMachine machine;
    MachineSchedule schedule{clock, machine};
    schedule.SetPolicy(policy);
    int seconds = 0;  // in the countdown, then the action and no countdown
    for (schedule.Tick(); schedule.phase() == Phase::kCountdown && seconds < 90; ++seconds) {
      clock.Advance(1000);
      schedule.Tick();
    }
    EXPECT_EQ(std::pair(seconds, machine.carried.size()), std::pair(60, size_t{1})) << second;
  }
}

TEST_F(MachineScheduleTest, OnlyAnActiveGraphicalSessionMayStopAndOnlyWhenDue) {
  schedule.SetPolicy(MachinePolicy{"12:00", kLogoff});
  EXPECT_EQ(schedule.Stop(kDesk), Refusal::kNothingPending);
  TickUntil(11, 59, 10);
  EXPECT_EQ(schedule.Stop(std::nullopt), Refusal::kNoSession);
  for (SessionInfo caller :
       {SessionInfo{"tty", "user", true}, {"wayland", "greeter", true}, {"x11", "user", false}})
    EXPECT_EQ(schedule.Stop(caller), Refusal::kNoSession);
  EXPECT_EQ(schedule.Stop(SessionInfo{"wayland", "user", true}), Refusal::kNone);
  EXPECT_EQ(schedule.phase(), Phase::kIdle);
  TickUntil(12, 1);
  EXPECT_TRUE(machine.carried.empty());
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 2, 12, 0, 0}));
}

TEST_F(MachineScheduleTest, OtherDaysAndTimesTheClockNeverShowsStayIdle) {
  Run({"12:00", kLogoff, 0x7E}, 12, 1);  // not on Mondays
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 2, 12, 0, 0}));
  schedule.SetPolicy(MachinePolicy{"23:59", kLogoff});
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 1, 23, 59, 0}));
  for (const char* never : {"25:00", "12:60"}) {
    schedule.SetPolicy(MachinePolicy{never, kLogoff});
    TickUntil(12, 2);
    EXPECT_EQ(schedule.NextAction(), std::nullopt) << never;
  }
  EXPECT_TRUE(phases.empty());
  EXPECT_TRUE(machine.carried.empty());
  Policy user{PolicySetting<std::string>{"12:00 0", PolicyScope::User}, {}, false, false, {}};
  EXPECT_EQ(MachinePolicyOf(user), std::nullopt) << "a user's policy binds no computer";
}

// In from the policy counts from when the service took it, once, whatever the days and the
// same policy read again; Idle and After are a session's and never act here.
TEST_F(MachineScheduleTest, InFromThePolicyActsOnceIdleNever) {
  Run({"00:00", kLogoff, 0, false, false, {TriggerKind::In, "0:03", ""}}, 11, 55);
  schedule.SetPolicy(
      MachinePolicy{"00:00", kLogoff, 0, false, false, {TriggerKind::In, "0:03", ""}});
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 1, 11, 57, 0}));
  TickUntil(12, 30);
  EXPECT_EQ(machine.journal, Texts{"4 Logoff at 11:57 (in 0:03): 2 graphical sessions ended"});
  schedule.SetPolicy(
      MachinePolicy{"12:31", kLogoff, kEveryDay, false, false, {TriggerKind::Idle, "0:01", ""}});
  TickUntil(12, 40);
  EXPECT_EQ(machine.carried.size(), 1u);
  schedule.SetPolicy(MachinePolicy{"", kLogoff, 0, false, false, {TriggerKind::In, "0:10", ""}});
  EXPECT_EQ(schedule.NextAction(), (LocalTime{2024, 1, 1, 12, 50, 0}));
}

}  // namespace
}  // namespace duskline
