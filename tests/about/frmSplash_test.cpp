// The About window: its load step, closing by any click or key, and loading anew.
#include "about/frmSplash.h"

#include <gtest/gtest.h>

#include "platform/test/Fakes.h"

namespace duskline::fakes {
namespace {

class SplashTest : public testing::Test {
 protected:
  FakeForm* form() { return fake.windows.Find("frmSplash"); }

  FakePlatform fake;
  frmSplash splash{fake.platform};
};

TEST_F(SplashTest, LoadWritesVersionAndTitle) {
  splash.Show();
  ASSERT_NE(form(), nullptr);
  EXPECT_TRUE(form()->Visible());
  EXPECT_EQ(form()->LabelNamed("lblVersion").Caption(), "Version 1.1.0");
  EXPECT_EQ(form()->LabelNamed("lblProductName").Caption(), "Vesperon");
  EXPECT_EQ(form()->LabelNamed("lblPlatform").Caption(), "Win 95/98/NT/2000");
}

TEST_F(SplashTest, EveryClickAndEveryKeyClosesIt) {
  const std::pair<std::string, int> parts[] = {
      {"Frame1", -1},       {"Frame2", -1},         {"Frame3", -1},      {"imgLogo", -1},
      {"lblCopyright", -1}, {"lblProductName", -1}, {"lblPlatform", -1}, {"lblVersion", -1},
      {"lblCompany", 0},    {"lblCompany", 3},      {"lblCompany", 6}};
  for (const auto& [name, index] : parts) {
    splash.Show();
    ASSERT_NE(form(), nullptr);
    form()->ClickOn(name, index);
    EXPECT_EQ(form(), nullptr) << name << " " << index;
    EXPECT_FALSE(splash.Loaded());
  }
  splash.Show();
  form()->ClickForm();
  EXPECT_EQ(form(), nullptr);
  for (int key : {int{'a'}, 13, 27, int{' '}}) {
    splash.Show();
    form()->PressKey(key);
    EXPECT_EQ(form(), nullptr) << key;
  }
}

TEST_F(SplashTest, ShowingTwiceKeepsOneWindowAndReopeningLoadsAgain) {
  splash.Show();
  form()->LabelNamed("lblVersion").SetCaption("changed");
  splash.Show();
  EXPECT_EQ(fake.windows.Created("frmSplash"), 1);
  EXPECT_EQ(form()->LabelNamed("lblVersion").Caption(), "changed") << "no second load";
  form()->PressKey('a');
  splash.Show();
  EXPECT_EQ(fake.windows.Created("frmSplash"), 2);
  EXPECT_EQ(form()->LabelNamed("lblVersion").Caption(), "Version 1.1.0");
}

}  // namespace
}  // namespace duskline::fakes
