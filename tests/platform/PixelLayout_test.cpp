#include "platform/PixelLayout.h"

#include <gtest/gtest.h>

#include "scheduler/Main.h"

namespace duskline {
namespace {

TEST(PixelLayout, TwipsRoundToTheNearestPixelAtTheDpi) {
  EXPECT_EQ(TwipsToPixels(1440, 96), 96);
  EXPECT_EQ(TwipsToPixels(1440, 144), 144);
  EXPECT_EQ(TwipsToPixels(7, 96), 0);  // 0.47
  EXPECT_EQ(TwipsToPixels(8, 96), 1);  // 0.53
  EXPECT_EQ(ClientPixels(MainLayout(), 120), (PixelRect{0, 0, 271, 341}));
}

TEST(PixelLayout, ContainersAddUpAndControlsThatMeetInTwipsMeetInPixels) {
  const FormLayout& main = MainLayout();
  // In Frame2 (top 600): the second and third day, 430 twips wide each, side by side.
  const PixelRect second = ControlPixels(main, *main.Find("chkDay", 1), 96);
  const PixelRect third = ControlPixels(main, *main.Find("chkDay", 2), 96);
  EXPECT_EQ(second, (PixelRect{37, 108, 28, 21}));
  EXPECT_EQ(second.left + second.width, third.left);
  EXPECT_EQ(ContainerDepth(main, *main.Find("chkDay", 1)), 1);
  EXPECT_EQ(ContainerDepth(main, *main.Find("Frame2")), 0);

  // A frame that holds itself, or one that is missing, neither hangs nor moves anything.
  auto in = [](const char* name, const char* container, int left) {
    ControlLayout control;
    control.name = name;
    control.container = container;
    control.left = left;
    control.width = 15;
    return control;
  };
  FormLayout odd;
  odd.controls = {in("Loop", "Loop", 15), in("Lost", "Nowhere", 30)};
  EXPECT_EQ(ContainerDepth(odd, odd.controls[0]), 32);
  EXPECT_EQ(ControlPixels(odd, odd.controls[0], 96).width, 1);
  EXPECT_EQ(ControlPixels(odd, odd.controls[1], 96), (PixelRect{2, 0, 1, 0}));
}

}  // namespace
}  // namespace duskline
