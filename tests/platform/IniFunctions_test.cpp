// The system's INI functions (ours where there is no system): the same cases hold for both.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Ini.h"
#include "profile/TempFolder.h"

namespace duskline {
namespace {

using testing_support::TempFolder;

class IniFunctionsTest : public testing::Test {
 protected:
  // The value read and the count returned, through a buffer of the given size.
  std::pair<std::string, uint32_t> Get(const std::string& section, const std::string& key,
                                       const std::string& defaultValue, uint32_t size = 2048) {
    std::string buffer(size + 1, '#');
    uint32_t n = ini_->GetPrivateProfileString(section, key, defaultValue, buffer.data(), size,
                                               folder_.File("p.ini"));
    EXPECT_EQ(buffer[n], '\0');
    return {buffer.substr(0, n), n};
  }
  bool Set(const std::string& section, const std::optional<std::string>& key,
           const std::optional<std::string>& value) {
    return ini_->WritePrivateProfileString(section, key, value, folder_.File("p.ini"));
  }

  TempFolder folder_;
  std::unique_ptr<IniFunctions> ini_ = MakeSystemIniFunctions();
};

struct GetCase {
  const char* name;
  std::optional<std::string> file;  // none: no file at all
  const char* section;
  const char* key;
  std::string defaultValue;
  std::string expected;
};
void PrintTo(const GetCase& c, std::ostream* os) {
  *os << c.name;
}

class IniFunctionsGet : public IniFunctionsTest, public testing::WithParamInterface<GetCase> {};

TEST_P(IniFunctionsGet, ReadsValueOrDefault) {
  const GetCase& c = GetParam();
  if (c.file) folder_.Put("p.ini", *c.file);
  auto [value, count] = Get(c.section, c.key, c.defaultValue);
  EXPECT_EQ(value, c.expected);
  EXPECT_EQ(count, c.expected.size());
}

const std::string kLong(3000, 'v');

INSTANTIATE_TEST_SUITE_P(
    Cases, IniFunctionsGet,
    testing::Values(
        GetCase{"Stored", "[Command]\r\nCode=07:30 1\r\n", "Command", "Code", "00:00 2", "07:30 1"},
        GetCase{"MissingFile", std::nullopt, "Command", "Code", "00:00 2", "00:00 2"},
        GetCase{"MissingSection", "[Other]\r\nCode=1\r\n", "Command", "Code", "d", "d"},
        GetCase{"MissingEntry", "[Command]\r\nX=1\r\n", "Command", "Code", "d", "d"},
        GetCase{"DefaultLosesTrailingBlanksOnly", std::nullopt, "S", "a", "  d  ", "  d"},
        GetCase{"DefaultKeepsTabs", std::nullopt, "S", "a", "\td\t", "\td\t"},
        GetCase{"ValueLosesSurroundingBlanks", "[S]\r\na=  b c \t\r\n", "S", "a", "", "b c"},
        GetCase{"LetterCaseOfNames", "[command]\r\ncode=1\r\n", "COMMAND", "CODE", "", "1"},
        GetCase{"FirstOfDuplicates", "[S]\r\na=1\r\na=2\r\n[S]\r\nb=3\r\n", "S", "a", "", "1"},
        GetCase{"SecondDuplicateSectionUnseen", "[S]\r\na=1\r\n[S]\r\nb=3\r\n", "S", "b", "d", "d"},
        GetCase{"QuotesDropped", "[S]\r\na=\" q \"\r\n", "S", "a", "", " q "},
        GetCase{"NoFinalLineEnd", "[S]\r\na=1", "S", "a", "", "1"},
        GetCase{"EmptyValueIsNotMissing", "[S]\r\na=\r\n", "S", "a", "d", ""},
        GetCase{"BlanksInBrackets", "[ Command ]\r\nCode=x\r\n", "Command", "Code", "", "x"},
        GetCase{"LineWithoutEquals", "[S]\r\na\r\n", "S", "a", "d", "d"},
        GetCase{"ValueHoldsEquals", "[S]\r\na=b=c\r\n", "S", "a", "", "b=c"},
        GetCase{"UnmatchedQuote", "[S]\r\na=\"q\r\n", "S", "a", "", "\"q"},
        GetCase{"LineFeedsOnly", "[S]\na=1\n", "S", "a", "", "1"},
        GetCase{"CarriageReturnsOnly", "[S]\ra=1\r", "S", "a", "", "1"},
        GetCase{"HeaderWithoutBracket", "[S\r\na=1\r\n", "S", "a", "d", "d"},
        GetCase{"HeaderUpToLastBracket", "[S]x]\r\na=1\r\n", "S]x", "a", "", "1"},
        GetCase{"BeforeFirstHeader", "a=1\r\n[S]\r\n", "", "a", "", "1"},
        GetCase{"ZeroEndsValue", std::string("[S]\r\na=1\0x\r\n", 12), "S", "a", "", "1"},
        GetCase{"Utf8Mark", "\xEF\xBB\xBF[S]\r\na=1\r\n", "S", "a", "", "1"},
        GetCase{"LongValueCut", "[S]\r\na=" + kLong + "\r\n", "S", "a", "", kLong.substr(0, 2047)},
        GetCase{"LongDefaultCut", std::nullopt, "S", "a", kLong, kLong.substr(0, 2047)}),
    [](const testing::TestParamInfo<GetCase>& info) { return info.param.name; });

TEST_F(IniFunctionsTest, SmallBufferGetsSizeLessOneCharacters) {
  folder_.Put("p.ini", "[S]\r\na=abcdefgh\r\n");
  EXPECT_EQ(Get("S", "a", "", 5), std::make_pair(std::string("abcd"), 4u));
}

// Other lines stay byte for byte; names match in any letter case; a backslash separates folders.
TEST_F(IniFunctionsTest, WriteCreatesTheFileThenReplacesInPlaceAddsAndRemoves) {
  EXPECT_TRUE(ini_->WritePrivateProfileString(
      "Command", std::string("Code"), std::string("00:00 2"), folder_.Path().string() + "\\p.ini"));
  EXPECT_EQ(folder_.Read("p.ini"), "[Command]\r\nCode=00:00 2\r\n");
  folder_.Put("p.ini", "[Command]\r\nCode=1\r\nOther=2\r\n[Next]\r\nx=1\r\ny=2\r\n[B]\r\nz=1\r\n");
  EXPECT_TRUE(Set("command", "CODE", "07:30 1"));
  EXPECT_TRUE(Set("Command", "New", "3"));
  EXPECT_TRUE(Set("B", std::nullopt, std::nullopt));
  EXPECT_TRUE(Set("Next", "x", std::nullopt));
  EXPECT_EQ(folder_.Read("p.ini"),
            "[Command]\r\nCode=07:30 1\r\nOther=2\r\nNew=3\r\n[Next]\r\ny=2\r\n");
}

TEST_F(IniFunctionsTest, MissingFolderOrReadOnlyFileStoresNothing) {
  const std::string missing = folder_.File("missing") + "\\p.ini";
  EXPECT_FALSE(ini_->WritePrivateProfileString("S", std::string("a"), std::string("1"), missing));
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "missing"));
  folder_.Put("ro.ini", "[S]\r\na=1\r\n");
  std::filesystem::permissions(folder_.Path() / "ro.ini",
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
#ifdef _WIN32
  // Wine run by the superuser lets anyone write a read-only file; the system refuses.
  if (std::ofstream(folder_.Path() / "ro.ini", std::ios::app).is_open())
    GTEST_SKIP() << "this host does not enforce read-only files";
#endif
  EXPECT_FALSE(ini_->WritePrivateProfileString("S", std::string("a"), std::string("2"),
                                               folder_.File("ro.ini")));
  EXPECT_EQ(folder_.Read("ro.ini"), "[S]\r\na=1\r\n");
}

#ifndef _WIN32
// Our own functions replace the file in one step and never replace what they could not read.

TEST_F(IniFunctionsTest, ReplaceLeavesNoTemporaryFileKeepsPermissionsAndFollowsALink) {
  namespace fs = std::filesystem;
  folder_.Put("target.ini", "[A]\r\nx=1\r\n");
  fs::permissions(folder_.Path() / "target.ini", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(folder_.Path() / "target.ini", folder_.Path() / "p.ini");
  for (int i = 0; i < 3; ++i) Set("A", "x", std::to_string(i));
  EXPECT_TRUE(fs::is_symlink(folder_.Path() / "p.ini"));
  EXPECT_EQ(folder_.Read("target.ini"), "[A]\r\nx=2\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()), 2);
  EXPECT_EQ(fs::status(folder_.Path() / "target.ini").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(IniFunctionsTest, UnreadableFileGivesDefaultAndIsNotReplaced) {
  std::filesystem::create_directory(folder_.Path() / "p.ini");
  EXPECT_EQ(Get("A", "x", "d").first, "d");
  EXPECT_FALSE(Set("A", "x", "1"));
  EXPECT_TRUE(std::filesystem::is_directory(folder_.Path() / "p.ini"));
}
#endif

}  // namespace
}  // namespace duskline
