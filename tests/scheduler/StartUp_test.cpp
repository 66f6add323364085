// Start-up on the fakes: where the schedule comes from, and the load event's trap.
#include <gtest/gtest.h>

#include "support/MainHarness.h"

namespace duskline::fakes {
namespace {

struct StartCase {
  std::string commandLine;
  std::optional<std::string> stored;
  std::string timeText;
  int typeIndex;
  bool readsIni;
};

void PrintTo(const StartCase& c, std::ostream* os) {
  *os << '"' << c.commandLine << '"';
}

class StartUpTest : public testing::TestWithParam<StartCase> {};

TEST_P(StartUpTest, FillsTheControlsAndShowsTheWindow) {
  const StartCase& c = GetParam();
  MainHarness run(c.commandLine);
  if (c.stored) run.Store(*c.stored);
  run.Start();

  EXPECT_FALSE(run.endedAtStart);
  EXPECT_EQ(run.txtTime().Text(), c.timeText);
  EXPECT_EQ(run.cmbType().ListIndex(), c.typeIndex);
  EXPECT_TRUE(run.form().Visible());
  EXPECT_EQ(run.fake.ini.reads > 0, c.readsIni);
  EXPECT_TRUE(run.fake.ini.writes.empty()) << "loading never writes";
  EXPECT_TRUE(run.fake.service.entries.empty());
  EXPECT_TRUE(run.fake.windows.messageBoxes.empty());
}

// A stored schedule is trimmed by the store; "-debug" is with the service switches.
INSTANTIATE_TEST_SUITE_P(Sources, StartUpTest,
                         testing::Values(StartCase{"", std::nullopt, "00:00", 2, true},
                                         StartCase{"", "  07:30 1  ", "07:30", 1, true},
                                         StartCase{"07:30 1", "22:00 0", "07:30", 1, false},
                                         StartCase{"07:30", std::nullopt, "", 0, false},
                                         StartCase{"-Install", std::nullopt, "", 0, false}));

struct RefusedCase {
  std::string commandLine;
  std::string report;
  std::string timeText;  // what survives the error
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
  *os << '"' << c.commandLine << '"';
}

class RefusedScheduleTest : public testing::TestWithParam<RefusedCase> {};

// Without the desktop: one event-log entry and the window is shown with what survived. With
// it: a message box and the end.
TEST_P(RefusedScheduleTest, TheLoadTrapReportsWhereItCan) {
  const RefusedCase& c = GetParam();
  for (bool desktop : {false, true}) {
    MainHarness run(c.commandLine);
    run.fake.service.desktopInteraction = desktop;
    run.Start();

    EXPECT_EQ(run.endedAtStart, desktop);
    using Entries = std::vector<EventLogEntry>;
    using Boxes = std::vector<MessageBoxRecord>;
    EXPECT_EQ(run.fake.service.entries, (desktop ? Entries{} : Entries{{109, 1, c.report}}));
    EXPECT_EQ(run.fake.windows.messageBoxes, (desktop ? Boxes{{c.report, "Vesperon"}} : Boxes{}));
    EXPECT_EQ(run.form().Visible(), !desktop);
    if (!desktop) {
      EXPECT_EQ(run.txtTime().Text(), c.timeText);
      EXPECT_EQ(run.cmbType().ListIndex(), -1);
    }
    EXPECT_TRUE(run.fake.unhandled.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Schedules, RefusedScheduleTest,
    testing::Values(RefusedCase{"12:30 7", "[380] Invalid property value", "12:30"},
                    RefusedCase{"12:30 -2", "[380] Invalid property value", "12:30"},
                    RefusedCase{"12:30 99999", "[6] Overflow", ""},
                    RefusedCase{"7 30 1", "[380] Invalid property value", "7"}));

TEST(StartUp, AnErrorInAChangeHandlerTravelsToTheLoadTrap) {
  MainHarness run("07:30 1");
  run.fake.tray.failures.Fail("TipText");
  run.Start();

  ASSERT_EQ(run.fake.service.entries.size(), 1u);
  EXPECT_EQ(run.fake.service.entries[0].text,
            "[438] Object doesn't support this property or method");
  EXPECT_TRUE(run.fake.unhandled.empty()) << "the trap took it, not the dispatcher";
  EXPECT_EQ(run.cmbType().ListIndex(), -1) << "the steps after the failure are skipped";
  EXPECT_TRUE(run.form().Visible());
}

TEST(StartUp, AnErrorInsideTheTrapEndsTheProgram) {
  MainHarness run("12:30 7");
  run.fake.service.failures.Fail("WriteEventLogEntry");
  run.Start();

  EXPECT_TRUE(run.endedAtStart);
  ASSERT_EQ(run.fake.unhandled.size(), 1u);
  EXPECT_EQ(run.fake.unhandled[0].Number(), kErrPropertyMissing);
}

}  // namespace
}  // namespace duskline::fakes
