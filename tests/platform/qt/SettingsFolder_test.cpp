#include <gtest/gtest.h>

#include <utility>

#include "platform/qt/App_qt.h"

namespace duskline::qt {
namespace {

TEST(SettingsFolder, BesideTheProgramOnlyWhenThereAndWritableElseTheUsersConfiguration) {
  const std::pair<SettingsPlace, const char*> cases[] = {
      {{"/opt/d", "/x/cfg", "/home/u", true, true}, "/opt/d/"},
      {{"/opt/d", "/x/cfg", "/home/u", true, false}, "/x/cfg/duskline/"},
      {{"/opt/d", "/x/cfg", "/home/u", false, true}, "/x/cfg/duskline/"},
      {{"/opt/d", "", "/home/u", false, false}, "/home/u/.config/duskline/"},
      {{"/opt/d", "cfg", "/home/u", false, false}, "/home/u/.config/duskline/"},  // relative
      {{"/opt/d", "", "", false, false}, "/opt/d/"},
  };
  for (const auto& [place, folder] : cases) EXPECT_EQ(SettingsFolder(place), folder) << folder;
}

}  // namespace
}  // namespace duskline::qt
