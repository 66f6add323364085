// The countdown window on its own: caption by type, the count, hiding at tick 46, a second
// warning in the same run, a day-long hidden window and the topmost helper.
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
  for (const auto& [index, caption] :
       {std::pair{-1, "Logoff"}, {0, "Logoff"}, {1, "Shutdown"}, {2, "Power Off"}}) {
    cmbType.SetListIndex(index);
    attention.Show();
    EXPECT_EQ(Info(), caption);
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
  fake.clock.AdvanceSeconds(45);
  EXPECT_EQ(Time(), "will be activated in 15 seconds.");
  EXPECT_TRUE(form().Visible());
  fake.clock.AdvanceSeconds(1);
  EXPECT_FALSE(form().Visible());
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

}  // namespace
}  // namespace duskline::fakes
