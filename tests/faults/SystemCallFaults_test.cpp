// System calls made to fail, and the program's answer (the service handlers' failing steps are
// with the service tests).
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "attention/Attention.h"
#include "support/MainHarness.h"

namespace duskline::fakes {
namespace {

using Calls = std::vector<std::string>;

std::vector<MessageBoxRecord> Boxes(const Calls& texts, const std::string& caption) {
  std::vector<MessageBoxRecord> boxes;
  for (const std::string& text : texts) boxes.push_back({text, caption});
  return boxes;
}

// The calls from the privilege step on: what each step passed on after the refusals.
Calls PrivilegeCalls(const FakeSystemApi& api) {
  auto first = std::find(api.calls.begin(), api.calls.end(), "SetLastError 0");
  Calls calls(first, api.calls.end());
  std::erase(calls, "GetLastError");
  return calls;
}

// A refused step leaves its out-value unset; the later steps run with what they have, each from
// the first refused one reports the code, and the action is requested once all boxes are closed.
TEST(PrivilegeRefusal, LaterStepsRunWithWhatTheyGotAndTheActionFollows) {
  struct Case {
    std::vector<std::string> refused;  // return FALSE and fill in nothing
    uint32_t code;                     // the last-error code the first refusal leaves
    std::string tokenArgument;         // what AdjustTokenPrivileges then receives
  };
  const std::string steps[] = {"OpenProcessToken", "LookupPrivilegeValueA",
                               "AdjustTokenPrivileges"};
  for (const Case& c : {Case{{steps[0]}, 5, "0 0 {1 19 2}"}, Case{{steps[1]}, 1313, "44 0 {1 0 2}"},
                        Case{{steps[2]}, 6, "44 0 {1 19 2}"},
                        Case{{steps[0], steps[1], steps[2]}, 5, "0 0 {1 0 2}"}}) {
    Calls messages;
    for (auto step = std::find(std::begin(steps), std::end(steps), c.refused.front());
         step != std::end(steps); ++step)
      messages.push_back(step->substr(0, step->size() - step->ends_with('A')) +
                         " error==" + std::to_string(c.code));
    for (const auto& [type, flags] : {std::pair{1, 5u}, std::pair{2, 12u}}) {
      SCOPED_TRACE(c.refused.front() + " " + std::to_string(type));
      MainHarness run("12:00 " + std::to_string(type), 11, 59, 59);
      run.fake.api.refused.insert(c.refused.begin(), c.refused.end());
      run.fake.api.errorAfter[c.refused.front()] = c.code;
      run.Start();
      run.fake.clock.AdvanceTo(12, 0, 30);

      EXPECT_EQ(PrivilegeCalls(run.fake.api),
                (Calls{"SetLastError 0", "GetCurrentProcess", "OpenProcessToken -1 40",
                       "LookupPrivilegeValueA '' SeShutdownPrivilege",
                       "AdjustTokenPrivileges " + c.tokenArgument + " 16 prev len",
                       "ExitWindowsEx " + std::to_string(flags) + " 4294967295"}));
      EXPECT_EQ(run.fake.windows.messageBoxes, Boxes(messages, "Vesperon"));
      EXPECT_EQ(run.fake.api.exits.size(), 1u);
      EXPECT_TRUE(run.fake.unhandled.empty());
    }
  }
}

// The ExitWindowsEx requests made, also those that raised before returning.
Calls ExitRequests(const FakeSystemApi& api) {
  Calls requests;
  std::copy_if(api.calls.begin(), api.calls.end(), std::back_inserter(requests),
               [](const std::string& call) { return call.rfind("ExitWindowsEx ", 0) == 0; });
  return requests;
}

enum class ExitFault { kRefused, kRaises };

// The one request at the set minute fails; nothing is ever reported.
class ExitWindowsFaultTest : public testing::TestWithParam<ExitFault> {
 protected:
  MainHarness& Fired(int type, bool hidden) {
    run_ = std::make_unique<MainHarness>("12:00 " + std::to_string(type), 11, 59, 30);
    if (GetParam() == ExitFault::kRefused) {
      run_->fake.api.refused.insert("ExitWindowsEx");
      run_->fake.api.errorAfter["ExitWindowsEx"] = 1314;
    } else {
      run_->fake.api.failures.Fail("ExitWindowsEx", kErrTypeMismatch);
    }
    run_->Start();
    if (hidden) run_->form().ClickOn("cmdHide");
    run_->fake.clock.AdvanceTo(12, 0, 0);
    EXPECT_EQ(ExitRequests(run_->fake.api).size(), 1u);
    EXPECT_FALSE(run_->tmrCheck().Enabled());
    return *run_;
  }
  void ExpectQuiet() const {
    EXPECT_TRUE(run_->fake.windows.messageBoxes.empty());
    EXPECT_TRUE(run_->fake.unhandled.empty());
  }

  std::unique_ptr<MainHarness> run_;
};

// Hidden: the icon goes, and no later tick touches the tray or asks again.
TEST_P(ExitWindowsFaultTest, HiddenProgramStaysQuietWithTheCheckOffAndNoIcon) {
  for (int type : {0, 1, 2}) {
    SCOPED_TRACE(type);
    MainHarness& run = Fired(type, true);
    EXPECT_FALSE(run.fake.tray.shown);
    EXPECT_EQ(run.fake.tray.log.back(), "RemoveIcon");
    const size_t trayWrites = run.fake.tray.log.size();
    const size_t iniWrites = run.fake.ini.writes.size();

    run.fake.clock.AdvanceMinutes(25 * 60);
    EXPECT_EQ(ExitRequests(run.fake.api).size(), 1u) << "not asked again, also not the next day";
    EXPECT_EQ(run.fake.tray.log.size(), trayWrites);
    EXPECT_EQ(run.fake.ini.writes.size(), iniWrites);
    EXPECT_EQ(run.fake.app.ends, 0);
    ExpectQuiet();
  }
}

// Shown: edits, hiding, restoring and About still work; only a continue restarts the check.
TEST_P(ExitWindowsFaultTest, ShownWindowStillWorksAndOnlyContinueRestartsTheCheck) {
  MainHarness& run = Fired(1, false);
  run.form().Paste("txtTime", "12:05");
  run.form().Pick("cmbType", 2);
  run.form().ClickOn("cmdHide");
  EXPECT_EQ(run.Stored(), "12:05 2");
  EXPECT_EQ(run.fake.tray.tipText, "Power Off at 12:05");
  EXPECT_TRUE(run.fake.tray.shown);
  run.fake.clock.AdvanceTo(12, 6, 0);
  EXPECT_EQ(ExitRequests(run.fake.api).size(), 1u) << "an edit does not restart the check";
  EXPECT_EQ(run.attention(), nullptr);

  run.fake.tray.Activate();
  EXPECT_TRUE(run.form().Visible());
  run.form().ClickOn("cmdAbout");
  EXPECT_EQ(run.fake.windows.Created("frmSplash"), 1);

  run.fake.service.Continue();
  run.form().Paste("txtTime", "12:08");
  run.fake.clock.AdvanceTo(12, 8, 1);
  EXPECT_EQ(ExitRequests(run.fake.api),
            (Calls{"ExitWindowsEx 5 4294967295", "ExitWindowsEx 12 4294967295"}));
  ExpectQuiet();
}

INSTANTIATE_TEST_SUITE_P(Faults, ExitWindowsFaultTest,
                         testing::Values(ExitFault::kRefused, ExitFault::kRaises),
                         [](const testing::TestParamInfo<ExitFault>& info) {
                           return info.param == ExitFault::kRefused ? "Refused" : "Raises";
                         });

TEST(IniFaults, AnUnreadableFileGivesTheDefaultSchedule) {
  MainHarness run;
  run.Store("07:30 1");
  run.fake.ini.readsFail = true;
  run.Start();

  EXPECT_EQ(run.fake.ini.reads, 1);
  EXPECT_EQ(run.txtTime().Text(), "00:00");
  EXPECT_EQ(run.cmbType().ListIndex(), 2);
  EXPECT_TRUE(run.form().Visible());
  EXPECT_TRUE(run.fake.service.entries.empty());
  EXPECT_TRUE(run.fake.unhandled.empty());
}

// Nothing is stored and nobody is told; the edit stays in the window, the last minute still
// opens the countdown and the action still fires.
TEST(IniFaults, WritesThatStoreNothingStopNothing) {
  MainHarness run("12:00 1", 11, 58, 30);
  run.Store("06:00 0");
  run.fake.ini.writesFail = true;
  run.Start();
  run.form().Paste("txtTime", "12:01");
  run.form().ClickOn("cmdHide");
  EXPECT_EQ(run.txtTime().Text(), "12:01");
  run.fake.clock.AdvanceTo(12, 1, 0);

  EXPECT_EQ(run.Stored(), "06:00 0");
  EXPECT_EQ(run.ScheduleWrites().size(), 61u) << "the leave and every tick of the last minute";
  ASSERT_NE(run.attention(), nullptr);
  EXPECT_EQ(run.fake.api.exits, (std::vector<ExitWindowsCall>{{5, 0xFFFFFFFF}}));
  EXPECT_TRUE(run.fake.windows.messageBoxes.empty());
  EXPECT_TRUE(run.fake.unhandled.empty());
}

// A refused SetWindowPos goes unnoticed; a failing one is reported once per load of the
// countdown, never per tick, and the countdown runs either way.
TEST(SetWindowPosFaults, TheCountdownRunsAndAFailureIsReportedOncePerLoad) {
  for (bool raises : {false, true}) {
    SCOPED_TRACE(raises);
    MainHarness run("12:00 2", 11, 58, 0);
    if (raises) {
      run.fake.api.failures.Fail("SetWindowPos", kErrObjectNotSet);
    } else {
      run.fake.api.refused.insert("SetWindowPos");
    }
    run.Start();
    run.form().ClickOn("cmdHide");
    run.fake.clock.AdvanceTo(11, 59, 20);
    ASSERT_NE(run.attention(), nullptr);
    EXPECT_TRUE(run.attention()->Visible());
    EXPECT_EQ(run.attention()->LabelNamed("lblTime").Caption(), "will be activated in 40 seconds.");

    // A second warning after an edit shows the loaded window again.
    run.fake.tray.Activate();
    run.form().Pick("cmbType", 1);
    run.form().ClickOn("cmdHide");
    run.fake.clock.AdvanceTo(12, 0, 1);

    EXPECT_EQ(
        run.fake.windows.messageBoxes,
        Boxes(raises ? Calls{"Error: 91. Object variable or With block variable not set"} : Calls{},
              "FormOnTop"));
    EXPECT_EQ(run.fake.api.exits.size(), 1u);
    EXPECT_TRUE(run.fake.unhandled.empty());
  }
}

}  // namespace
}  // namespace duskline::fakes
