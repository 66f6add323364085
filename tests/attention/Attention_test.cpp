// The countdown window on its own: caption by type, the count, hiding at tick 46, a second
// warning in the same run, a day-long hidden window, "Stop" and the topmost helper.
#include "attention/Attention.h"

#include <gtest/gtest.h>

#include "platform/test/Fakes.h"
#include "tray/modTool.h"

namespace duskline::fakes {
namespace {

FormLayout Named(const std::string& name) {
  FormLayout layout;
  layout.name = name;
  return layout;
}

class AttentionTest : public testing::Test {
 protected:
  AttentionTest() : cmbType({"Logoff", "Shutdown", "Power Off"}) {}

  FakeForm& form() { return *fake.windows.Find("Attention"); }
  std::string Info() { return form().LabelNamed("lblInfo").Caption(); }
  std::string Time() { return form().LabelNamed("lblTime").Caption(); }

  FakePlatform fake;
  FakeDropDownList cmbType;
  Attention attention{fake.platform, cmbType};
};

TEST_F(AttentionTest, CaptionNamesTheSelectedType) {
  const std::pair<int, std::string> cases[] = {
      {-1, "Logoff"}, {0, "Logoff"}, {1, "Shutdown"}, {2, "Power Off"}};
  for (const auto& [index, caption] : cases) {
    FakePlatform platform;
    FakeDropDownList list({"Logoff", "Shutdown", "Power Off"});
    list.SetListIndex(index);
    Attention window(platform.platform, list);
    window.Show();
    EXPECT_EQ(platform.windows.Find("Attention")->LabelNamed("lblInfo").Caption(), caption);
  }
}

TEST_F(AttentionTest, LoadPutsTheWindowOnTopWithoutMovingIt) {
  attention.Show();
  EXPECT_TRUE(form().Visible());
  EXPECT_EQ(fake.api.calls,
            (std::vector<std::string>{"SetWindowPos " + std::to_string(form().Handle()) +
                                      " -1 0 0 0 0 3"}));
}

TEST_F(AttentionTest, CountsFromFiftyNineToFifteenThenHides) {
  attention.Show();
  EXPECT_EQ(Time(), "will be activated in one Minute.");
  fake.clock.AdvanceMilliseconds(999);
  EXPECT_EQ(Time(), "will be activated in one Minute.");
  fake.clock.AdvanceMilliseconds(1);
  EXPECT_EQ(Time(), "will be activated in 59 seconds.");
  for (int tick = 2; tick <= 45; ++tick) {
    fake.clock.AdvanceSeconds(1);
    ASSERT_EQ(Time(), "will be activated in " + std::to_string(60 - tick) + " seconds.")
        << "tick " << tick;
    ASSERT_TRUE(form().Visible());
  }
  fake.clock.AdvanceSeconds(1);
  EXPECT_FALSE(form().Visible());
  EXPECT_EQ(Time(), "will be activated in 15 seconds.");
  EXPECT_TRUE(form().FakeTimerNamed("Timer1").Running()) << "the timer is never disabled";
}

TEST_F(AttentionTest, AHiddenWindowLoadedForADayNeverFails) {
  attention.Show();
  fake.clock.AdvanceMinutes(24 * 60);
  EXPECT_TRUE(fake.unhandled.empty());
  EXPECT_EQ(fake.app.ends, 0);
  EXPECT_FALSE(form().Visible());
  EXPECT_LE(attention.gintTicks(), 46);
}

TEST_F(AttentionTest, ASecondWarningCountsAgainAndNamesTheTypeChosenNow) {
  cmbType.SetListIndex(1);
  attention.Show();
  fake.clock.AdvanceSeconds(50);
  ASSERT_FALSE(form().Visible());

  cmbType.SetListIndex(0);
  attention.Show();
  EXPECT_EQ(fake.windows.Created("Attention"), 1);
  EXPECT_TRUE(form().Visible());
  EXPECT_EQ(Info(), "Logoff");
  EXPECT_EQ(Time(), "will be activated in one Minute.");
  fake.clock.AdvanceSeconds(1);
  EXPECT_TRUE(form().Visible());
  EXPECT_EQ(Time(), "will be activated in 59 seconds.");
  fake.clock.AdvanceSeconds(44);
  EXPECT_EQ(Time(), "will be activated in 15 seconds.");
  fake.clock.AdvanceSeconds(1);
  EXPECT_FALSE(form().Visible());
}

TEST_F(AttentionTest, StopEndsTheProgram) {
  attention.Show();
  fake.clock.AdvanceSeconds(3);
  EXPECT_THROW(form().ClickOn("cmdStop"), ProgramEnded);
  EXPECT_EQ(fake.app.ends, 1);
  EXPECT_TRUE(fake.api.exits.empty());
}

TEST(FormOnTop, FlagSelectsTheBandAndKeepsPositionAndSize) {
  const std::pair<int16_t, std::string> cases[] = {{-1, "-1"}, {1, "-1"}, {0, "-2"}};
  for (const auto& [flag, insertAfter] : cases) {
    FakePlatform fake;
    auto form = fake.windows.CreateForm(Named("Any"));
    FormOnTop(fake.platform, *form, flag);
    EXPECT_EQ(fake.api.calls,
              (std::vector<std::string>{"SetWindowPos " + std::to_string(form->Handle()) + " " +
                                        insertAfter + " 0 0 0 0 3"}));
  }
}

TEST(FormOnTop, ReportsItsOwnErrorOnceAndReturns) {
  FakePlatform fake;
  auto form = fake.windows.CreateForm(Named("Any"));
  fake.api.failures.Fail("SetWindowPos", kErrObjectNotSet);
  FormOnTop(fake.platform, *form, -1);
  EXPECT_EQ(fake.windows.messageBoxes,
            (std::vector<MessageBoxRecord>{
                {"Error: 91. Object variable or With block variable not set", "FormOnTop"}}));
  EXPECT_TRUE(fake.unhandled.empty());
}

TEST(FormOnTop, AFailureAtLoadStillShowsTheCountdown) {
  FakePlatform fake;
  FakeDropDownList list({"Logoff", "Shutdown", "Power Off"});
  fake.api.failures.Fail("SetWindowPos");
  Attention attention(fake.platform, list);
  attention.Show();
  EXPECT_EQ(fake.windows.messageBoxes.size(), 1u);
  EXPECT_TRUE(fake.windows.Find("Attention")->Visible());
}

}  // namespace
}  // namespace duskline::fakes
