// The INI text engine: which bytes a change produces. How it reads is tested together with
// the system's functions.
#include "platform/IniFile.h"

#include <gtest/gtest.h>

namespace duskline {
namespace {

TEST(IniFileRead, SurvivesAVeryLongLine) {
  std::string value(1 << 20, 'v');
  EXPECT_EQ(IniFile("[S]\r\na=" + value).Value("S", "a"), value);
}

struct WriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};
void PrintTo(const WriteCase& c, std::ostream* os) {
  *os << c.name;
}

class IniFileSet : public testing::TestWithParam<WriteCase> {};

TEST_P(IniFileSet, ChangesOnlyTheLinesItMust) {
  const WriteCase& c = GetParam();
  IniFile file(c.before);
  ASSERT_TRUE(file.Set(c.section, c.key, c.value));
  EXPECT_EQ(file.Bytes(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniFileSet,
    testing::Values(
        WriteCase{"NewFile", "", "Command", "Code", "00:00 2", "[Command]\r\nCode=00:00 2\r\n"},
        WriteCase{"ReplaceKeepsOtherLines",
                  "; top\r\n[Command]\r\nCode = old \r\nOther=1\r\n\r\n[Next]\nx=1\n", "Command",
                  "Code", "new", "; top\r\n[Command]\r\nCode=new\r\nOther=1\r\n\r\n[Next]\nx=1\n"},
        WriteCase{"ReplaceKeepsStoredSpelling", "[A]\r\nKey=1\r\n", "a", "KEY", "2",
                  "[A]\r\nKey=2\r\n"},
        WriteCase{"AddKeyBeforeBlankLines", "[A]\r\nx=1\r\n\r\n[B]\r\n", "A", "k", "v",
                  "[A]\r\nx=1\r\nk=v\r\n\r\n[B]\r\n"},
        WriteCase{"AddKeyToEmptySection", "[A]\r\n\r\n[B]\r\n", "A", "k", "v",
                  "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        WriteCase{"AddKeyToFirstDuplicate", "[A]\r\n[A]\r\n", "A", "k", "v",
                  "[A]\r\nk=v\r\n[A]\r\n"},
        WriteCase{"AddSectionAfterLastLineWithoutEnd", "[A]\r\nx=1", "B", "k", "v",
                  "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"KeepsLineFeedFiles", "[A]\nx=1\n", "A", "k", "v", "[A]\nx=1\nk=v\n"},
        WriteCase{"NamesLoseSurroundingBlanks", "", " A ", " k ", "v", "[A]\r\nk=v\r\n"},
        WriteCase{"ValueKeptAsGiven", "", "A", "k", "  v  ", "[A]\r\nk=  v  \r\n"},
        WriteCase{"LineWithoutEqualsGetsValue", "[A]\r\nk\r\n", "A", "k", "v", "[A]\r\nk=v\r\n"},
        WriteCase{"NamelessSectionAtTop", "[A]\r\nx=1\r\n", "", "k", "v", "k=v\r\n[A]\r\nx=1\r\n"},
        WriteCase{"KeepsUtf8Mark", "\xEF\xBB\xBF[A]\r\n", "A", "k", "v",
                  "\xEF\xBB\xBF[A]\r\nk=v\r\n"},
        // A line break must not create a line: only the text before it is stored.
        WriteCase{"ValueCutAtLineBreak", "[A]\r\nx=1\r\n", "A", "x", "a\r\n[B]\r\ny=2",
                  "[A]\r\nx=a\r\n"},
        WriteCase{"ValueCutAtLoneCarriageReturn", "", "A", "x", "a\rb", "[A]\r\nx=a\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(IniFileSet, RefusesNamesThatWouldReadBackAsOtherLines) {
  const std::string before = "[A]\r\nx=1\r\n";
  for (auto [section, key] :
       {std::pair{"A", "x=y"}, {"A", "k\n[B]"}, {"A", "[B]"}, {"A]\r\n[B", "k"}, {"A\rB", "k"}}) {
    IniFile file(before);
    EXPECT_FALSE(file.Set(section, key, "v")) << section << " " << key;
    EXPECT_EQ(file.Bytes(), before);
  }
}

TEST(IniFileRemove, RemovesEverySectionOfTheNameAndNothingElse) {
  IniFile file("; c\r\n[A]\r\nx=1\r\n\r\n[B]\ny=1\n[a]\r\nz=1");
  EXPECT_TRUE(file.RemoveSection("A"));
  EXPECT_EQ(file.Bytes(), "; c\r\n[B]\ny=1\n");
  EXPECT_FALSE(file.RemoveSection("A"));
}

TEST(IniFileBytes, RoundTripsAnyInputUnchanged) {
  for (std::string bytes : {std::string("a\rb\nc\r\n\r\n"), std::string("\0\xff[\r\r\n", 6),
                            std::string("\xEF\xBB\xBF"), std::string("x")})
    EXPECT_EQ(IniFile(bytes).Bytes(), bytes);
}

}  // namespace
}  // namespace duskline
