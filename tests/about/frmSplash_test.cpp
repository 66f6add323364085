// The About window.
#include <gtest/gtest.h>

#include "about/frmSplash.h"
#include "support/ProgramRun.h"

namespace duskline {
namespace {

using fakes::FakeForm;

TEST_F(ProgramTest, TheAboutWindowShowsTheVersionAndGoesAtAnyClickOrKey) {
  Start("", 10, 0);
  // clang-format off
  const std::pair<const char*, int> parts[] = {
      {"Frame1", -1}, {"Frame2", -1}, {"Frame3", -1}, {"imgLogo", -1}, {"lblCopyright", -1},
      {"lblPlatform", -1}, {"lblProductName", -1}, {"lblVersion", -1}, {"lblCompany", 0},
      {"lblCompany", 6}, {"form", -2}, {"key", -3}};
  // clang-format on
  for (const auto& [part, index] : parts) {
    Window().ClickOn("cmdAbout");
    FakeForm& about = Window("frmSplash");
    EXPECT_TRUE(about.Visible());
    EXPECT_EQ(Caption("frmSplash", "lblVersion"), "Version 1.1.0");
    EXPECT_EQ(Caption("frmSplash", "lblProductName"), "Vesperon");
    if (index == -2) about.Click();
    if (index == -3) about.KeyPress(27);
    if (index >= -1) about.ClickOn(part, index);
    fake_.windows.RunPending();
    EXPECT_EQ(fake_.windows.Find("frmSplash"), nullptr) << part;
  }
}

}  // namespace
}  // namespace duskline
