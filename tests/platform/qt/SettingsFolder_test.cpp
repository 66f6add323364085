#include <gtest/gtest.h>

#include "platform/qt/App_qt.h"

namespace duskline::qt {
namespace {

TEST(SettingsFolder, BesideTheProgramOnlyWhenThereAndWritableElseTheUsersConfiguration) {
  struct Case {
    SettingsPlace place;
    const char* folder;
  };
  const Case cases[] = {
      {{"/opt/d", "/x/cfg", "/home/u", true, true}, "/opt/d/"},
      {{"/opt/d", "/x/cfg", "/home/u", true, false}, "/x/cfg/duskline/"},
      {{"/opt/d", "/x/cfg", "/home/u", false, true}, "/x/cfg/duskline/"},
      {{"/opt/d", "", "/home/u", false, false}, "/home/u/.config/duskline/"},
      {{"/opt/d", "cfg", "/home/u", false, false}, "/home/u/.config/duskline/"},  // relative
      {{"/opt/d", "", "", false, false}, "/opt/d/"},
  };
  for (const Case& c : cases) EXPECT_EQ(SettingsFolder(c.place), c.folder) << c.folder;
}

TEST(JoinArguments, WhatFollowsTheProgramsNameWithSingleBlanks) {
  const char* argv[] = {"/usr/bin/duskline", "22:30", "1"};
  EXPECT_EQ(JoinArguments(3, argv), "22:30 1");
  EXPECT_EQ(JoinArguments(1, argv), "");
}

}  // namespace
}  // namespace duskline::qt
