// The three layouts as data: every control sits inside its container and names are unique.
#include <gtest/gtest.h>

#include <set>

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "scheduler/Main.h"

namespace duskline {
namespace {

class LayoutTest : public testing::TestWithParam<const FormLayout* (*)()> {};

TEST_P(LayoutTest, ControlsFitTheirContainersAndNamesAreUnique) {
  const FormLayout& layout = *GetParam()();
  std::set<std::pair<std::string, int>> names;
  for (const ControlLayout& control : layout.controls) {
    SCOPED_TRACE(layout.name + "." + control.name);
    EXPECT_TRUE(names.insert({control.name, control.index}).second) << "duplicate";
    if (control.kind == ControlKind::Timer || control.kind == ControlKind::Windowless) continue;
    int width = layout.clientWidth, height = layout.clientHeight;
    if (!control.container.empty()) {
      const ControlLayout* frame = layout.Find(control.container);
      ASSERT_NE(frame, nullptr);
      EXPECT_EQ(frame->kind, ControlKind::Frame);
      width = frame->width;
      height = frame->height;
    }
    EXPECT_GE(control.left, 0);
    EXPECT_GE(control.top, 0);
    EXPECT_LE(control.left + control.width, width);
    EXPECT_LE(control.top + control.height, height);
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, LayoutTest,
                         testing::Values([] { return &MainLayout(); },
                                         [] { return &AttentionLayout(); },
                                         [] { return &SplashLayout(); }));

}  // namespace
}  // namespace duskline
