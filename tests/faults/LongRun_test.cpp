// A simulated week on the fake clock: no heap growth after day three, each window created once,
// no error leaves a handler.
#include <gtest/gtest.h>

#include "attention/Attention.h"
#include "support/MainHarness.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // its header is not everywhere
#define DUSKLINE_HEAP_IN_USE() __sanitizer_get_current_allocated_bytes()
#elif defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#define DUSKLINE_HEAP_IN_USE() mallinfo2().uordblks
#else
#define DUSKLINE_HEAP_IN_USE() static_cast<size_t>(0)
#endif

namespace duskline::fakes {
namespace {

// clear() would keep the largest day's capacity.
template <typename... Logs>
void Release(Logs&... logs) {
  (Logs().swap(logs), ...);
}

struct Day {
  std::string time;  // the schedule typed in the morning
  int type;
  bool hidden;  // hidden in the tray from nine until the last minute
  bool fires;   // the set minute falls outside the pause
};

class LongRunTest : public testing::Test {
 protected:
  LongRunTest() : run("", 7, 0, 0) {
    run.Store("06:00 2");
    run.Start();
  }

  void At(int hour, int minute, int second = 0) { run.fake.clock.AdvanceTo(hour, minute, second); }

  // The set minute fires; an hour later a continue re-arms the check.
  void FireAndContinue(int hour, int minute, size_t exitsBefore) {
    At(hour, minute, 1);
    EXPECT_EQ(run.fake.api.exits.size(), exitsBefore + 1);
    EXPECT_FALSE(run.tmrCheck().Enabled());
    EXPECT_FALSE(run.fake.tray.shown);
    At(hour + 1, minute);
    EXPECT_TRUE(run.fake.service.Continue());
  }

  // A day's recordings are bounded, then let go.
  void EndOfDay() {
    EXPECT_LE(run.fake.tray.log.size(), 4u * 86400u);
    EXPECT_LE(run.fake.api.calls.size(), 64u);
    EXPECT_LE(run.fake.ini.writes.size(), 64u);
    EXPECT_TRUE(run.fake.windows.messageBoxes.empty());
    EXPECT_TRUE(run.fake.unhandled.empty());
    Release(run.fake.tray.log, run.fake.api.calls, run.fake.ini.writes, run.fake.service.log,
            run.fake.service.entries);
  }

  MainHarness run;
};

TEST_F(LongRunTest, AWeekOfTicksHoldsNoMoreMemoryAndRaisesNothing) {
  const Day days[] = {
      {"21:00", 0, true, true}, {"21:01", 1, false, true},
      {"21:02", 2, true, true}, {"12:30", 0, false, false},  // paused at its minute: not caught up
      {"21:04", 1, true, true},
  };
  const uint32_t flags[] = {4, 5, 12};
  FakeForm& form = run.form();
  size_t heapAfterDayThree = 0;

  for (int d = 0; d < 5; ++d) {
    SCOPED_TRACE("day " + std::to_string(d));
    const Day& day = days[d];
    At(8, 0);
    ASSERT_TRUE(form.Visible());
    form.Paste("txtTime", day.time);
    form.Pick("cmbType", day.type);
    form.Focus("txtTime");
    EXPECT_EQ(run.Stored(), day.time + " " + std::to_string(day.type));
    form.ClickOn("cmdAbout");
    run.fake.windows.Find("frmSplash")->ClickForm();
    if (day.hidden) {
      At(9, 0);
      form.ClickOn("cmdHide");
    }
    At(12, 0);
    EXPECT_TRUE(run.fake.service.Pause());
    At(13, 0);
    EXPECT_TRUE(run.fake.service.Continue());

    const size_t exits = run.fake.api.exits.size();
    const int hour = std::stoi(day.time.substr(0, 2)), minute = std::stoi(day.time.substr(3));
    if (day.fires) {
      if (day.hidden) {
        const int lastMinute = hour * 60 + minute - 1;
        At(lastMinute / 60, lastMinute % 60, 30);
        ASSERT_NE(run.attention(), nullptr);
        EXPECT_TRUE(run.attention()->Visible());
        EXPECT_EQ(run.attention()->LabelNamed("lblTime").Caption(),
                  "will be activated in 30 seconds.");
        run.fake.tray.Activate();
        EXPECT_TRUE(form.Visible());
      }
      FireAndContinue(hour, minute, exits);
      EXPECT_EQ(run.fake.api.exits.back().flags, flags[day.type]);
    } else {
      At(23, 0);
      EXPECT_EQ(run.fake.api.exits.size(), exits);
    }
    At(23, 59, 59);
    EndOfDay();
    if (d == 2) heapAfterDayThree = DUSKLINE_HEAP_IN_USE();
  }

  // As a service: hidden, no countdown (no edit since the last warning).
  At(0, 0, 30);
  EXPECT_TRUE(run.fake.service.Start());
  for (int d = 5; d < 7; ++d) {
    SCOPED_TRACE("day " + std::to_string(d));
    At(0, 1);
    EXPECT_FALSE(form.Visible());
    At(12, 0);
    run.fake.service.Pause();
    At(13, 0);
    run.fake.service.Continue();
    FireAndContinue(21, 4, run.fake.api.exits.size());
    EXPECT_EQ(run.fake.api.exits.back().flags, 5u);
    At(23, 59, 59);
    EndOfDay();
  }
  const size_t heapOnTheLastDay = DUSKLINE_HEAP_IN_USE();

  // The countdown stayed loaded and hidden for days: its count stopped at the limit.
  ASSERT_NE(run.attention(), nullptr);
  EXPECT_FALSE(run.attention()->Visible());
  EXPECT_LE(run.main.attention()->gintTicks(), 46);

  EXPECT_EQ(run.fake.windows.Created("Main"), 1);
  EXPECT_EQ(run.fake.windows.Created("Attention"), 1);
  EXPECT_EQ(run.fake.windows.Created("frmSplash"), 5) << "one per opening";
  EXPECT_EQ(run.fake.windows.Find("frmSplash"), nullptr) << "each closed one destroyed";
  EXPECT_EQ(run.fake.api.exits.size(), 6u);

  const long long growth =
      static_cast<long long>(heapOnTheLastDay) - static_cast<long long>(heapAfterDayThree);
  RecordProperty("heap_growth_bytes_days_3_to_7", std::to_string(growth));
  EXPECT_LE(growth, 16 * 1024) << "held after day three: " << heapAfterDayThree;

  EXPECT_THROW(run.fake.service.Stop(), ProgramEnded);
  EXPECT_EQ(run.fake.service.entries, (std::vector<EventLogEntry>{{4, 110, "Service stopped"}}));
  EXPECT_TRUE(run.fake.unhandled.empty());
}

}  // namespace
}  // namespace duskline::fakes
