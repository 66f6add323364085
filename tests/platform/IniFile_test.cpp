// The INI text engine: how it reads a file and which bytes a change produces.
#include "platform/IniFile.h"

#include <gtest/gtest.h>

namespace duskline {
namespace {

struct ReadCase {
  const char* name;
  std::string bytes;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};
void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class IniFileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniFileRead, FindsWhatTheSystemReaderFinds) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(IniFile(c.bytes).Value(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniFileRead,
    testing::Values(
        ReadCase{"Plain", "[Command]\r\nCode=00:00 2\r\n", "Command", "Code", "00:00 2"},
        ReadCase{"LetterCase", "[command]\r\ncode=1\r\n", "COMMAND", "CODE", "1"},
        ReadCase{"BlanksInBrackets", "[ Command ]\r\nCode=x\r\n", "Command", "Code", "x"},
        ReadCase{"BlanksAroundNameAndValue", "[S]\r\n  a  =  b c \t\r\n", "S", "a", "b c"},
        ReadCase{"BlanksInArguments", "[S]\r\na=1\r\n", " S ", " a ", "1"},
        ReadCase{"FirstOfDuplicateKeys", "[S]\r\na=1\r\na=2\r\n", "S", "a", "1"},
        ReadCase{"OnlyFirstOfDuplicateSections", "[S]\r\na=1\r\n[S]\r\nb=2\r\n", "S", "b",
                 std::nullopt},
        ReadCase{"MissingSection", "[S]\r\na=1\r\n", "T", "a", std::nullopt},
        ReadCase{"MissingKey", "[S]\r\na=1\r\n", "S", "b", std::nullopt},
        ReadCase{"KeyInOtherSection", "[S]\r\n[T]\r\na=1\r\n", "S", "a", std::nullopt},
        ReadCase{"LineWithoutEquals", "[S]\r\na\r\n", "S", "a", std::nullopt},
        ReadCase{"EmptyValue", "[S]\r\na=\r\n", "S", "a", ""},
        ReadCase{"ValueHoldsEquals", "[S]\r\na=b=c\r\n", "S", "a", "b=c"},
        ReadCase{"DoubleQuotes", "[S]\r\na=\" q \"\r\n", "S", "a", " q "},
        ReadCase{"SingleQuotes", "[S]\r\na='q'\r\n", "S", "a", "q"},
        ReadCase{"UnmatchedQuote", "[S]\r\na=\"q\r\n", "S", "a", "\"q"},
        ReadCase{"NoFinalLineEnd", "[S]\r\na=1", "S", "a", "1"},
        ReadCase{"LineFeedsOnly", "[S]\na=1\n", "S", "a", "1"},
        ReadCase{"CarriageReturnsOnly", "[S]\ra=1\r", "S", "a", "1"},
        ReadCase{"HeaderWithoutBracket", "[S\r\na=1\r\n", "S", "a", std::nullopt},
        ReadCase{"HeaderUpToLastBracket", "[S]x]\r\na=1\r\n", "S]x", "a", "1"},
        ReadCase{"TextAfterHeader", "[S] note\r\na=1\r\n", "S", "a", "1"},
        ReadCase{"IndentedHeader", "  [S]\r\na=1\r\n", "S", "a", "1"},
        ReadCase{"BeforeFirstHeader", "a=1\r\n[S]\r\n", "", "a", "1"},
        ReadCase{"CommentIsAKey", "[S]\r\n;a=1\r\n", "S", ";a", "1"},
        ReadCase{"ZeroEndsValue", std::string("[S]\r\na=1\0x\r\n", 12), "S", "a", "1"},
        ReadCase{"HighBytes", "[S]\r\na=\xff\xfe\x80\r\n", "S", "a", "\xff\xfe\x80"},
        ReadCase{"Utf8Mark", "\xEF\xBB\xBF[S]\r\na=1\r\n", "S", "a", "1"},
        ReadCase{"EmptyFile", "", "S", "a", std::nullopt}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

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

struct RefusedCase {
  const char* name;
  const char* section;
  const char* key;
};
void PrintTo(const RefusedCase& c, std::ostream* os) {
  *os << c.name;
}

class IniFileRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(IniFileRefuses, NamesThatWouldReadBackAsOtherLines) {
  const std::string before = "[A]\r\nx=1\r\n";
  IniFile file(before);
  EXPECT_FALSE(file.Set(GetParam().section, GetParam().key, "v"));
  EXPECT_EQ(file.Bytes(), before);
}

INSTANTIATE_TEST_SUITE_P(Names, IniFileRefuses,
                         testing::Values(RefusedCase{"KeyWithEquals", "A", "x=y"},
                                         RefusedCase{"KeyWithLineFeed", "A", "k\n[B]"},
                                         RefusedCase{"KeyStartingWithBracket", "A", "[B]"},
                                         RefusedCase{"SectionWithBracket", "A]\r\n[B", "k"},
                                         RefusedCase{"SectionWithReturn", "A\rB", "k"}),
                         [](const testing::TestParamInfo<RefusedCase>& info) {
                           return info.param.name;
                         });

TEST(IniFileRemove, RemovesEverySectionOfTheNameAndNothingElse) {
  IniFile file("; c\r\n[A]\r\nx=1\r\n\r\n[B]\ny=1\n[a]\r\nz=1");
  EXPECT_TRUE(file.RemoveSection("A"));
  EXPECT_EQ(file.Bytes(), "; c\r\n[B]\ny=1\n");
  EXPECT_FALSE(file.RemoveSection("A"));
}

TEST(IniFileRemove, RemovesOneKey) {
  IniFile file("[A]\r\nx=1\r\ny=2\r\n");
  EXPECT_TRUE(file.RemoveKey("A", "X"));
  EXPECT_EQ(file.Bytes(), "[A]\r\ny=2\r\n");
  EXPECT_FALSE(file.RemoveKey("A", "x"));
}

TEST(IniFileBytes, RoundTripsAnyInputUnchanged) {
  for (std::string bytes : {std::string("a\rb\nc\r\n\r\n"), std::string("\0\xff[\r\r\n", 6),
                            std::string("\xEF\xBB\xBF"), std::string("x")})
    EXPECT_EQ(IniFile(bytes).Bytes(), bytes);
}

}  // namespace
}  // namespace duskline
