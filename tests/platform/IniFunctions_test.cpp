// The INI text engine, and the system's INI functions on real files (ours where the system has
// none; the same cases hold for both).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>

#include "platform/IniFile.h"
#include "profile/clsProfileINI.h"

namespace duskline {
namespace {

namespace fs = std::filesystem;

// The engine's writes: only the lines that must change do, each keeping its line end.
TEST(IniFile, WritesChangeOnlyTheirLines) {
  struct Case {
    std::string before, section, key, value, after;
  };
  const std::string bom = "\xEF\xBB\xBF";
  // clang-format off
  const Case cases[] = {
      {"", "Command", "Code", "00:00 2", "[Command]\r\nCode=00:00 2\r\n"},
      {"[S]\na=1\n", "S", "b", "2", "[S]\na=1\nb=2\n"},
      {"[S]\ra=1", "S", "b", "2", "[S]\ra=1\rb=2\r"},
      {"[S]\r\na=1\r\n\r\n[T]\r\n", "s", "b", "2", "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\n"},
      {"[S]\r\n\r\n[T]\r\n", "S", "b", "2", "[S]\r\nb=2\r\n\r\n[T]\r\n"},
      {"[S]\r\n Key = 1\r\nz=0\r\n", " s ", "KEY", "2\r\n3", "[S]\r\nKey=2\r\nz=0\r\n"},
      {"[T]\nb=2", "S", "a", "1", "[T]\nb=2\n[S]\na=1\n"},
      {"[S]\r\nb=2\r\n", "", "a", "1", "a=1\r\n[S]\r\nb=2\r\n"},
      {bom + "[S]\r\na=1\r\n", "S", "a", "x", bom + "[S]\r\na=x\r\n"},
      {"", "", bom + "k", "v", "\r\n" + bom + "k=v\r\n"},
      {"[S]\r\na=1\r\n", "S", "a", std::string("2\0x", 3), "[S]\r\na=2\r\n"},
      {"\v[S]\f\r\na\x1A=1\r\n", "S", "a", "2", "\v[S]\f\r\na=2\r\n"},
      {"[S] x\r\n", "S", "a", "1", "[S] x\r\na=1\r\n"}, {"[S]", "S", "a", "1", "[S]\r\na=1\r\n"}};
  // clang-format on
  for (const Case& c : cases) {
    IniFile file(c.before);
    EXPECT_TRUE(file.Set(c.section, c.key, c.value));
    EXPECT_EQ(file.Bytes(), c.after) << c.before;
  }
  for (const auto& [section, key] :
       {std::pair{"a]b", "k"}, {"a\nb", "k"}, {"S", "a=b"}, {"S", "[k"}, {"S", "a\rb"}}) {
    IniFile file("[S]\r\n");
    EXPECT_FALSE(file.Set(section, key, "v")) << section << key;
    EXPECT_EQ(file.Bytes(), "[S]\r\n");
  }
  IniFile file("x=0\r\n[S]\r\na=1\r\n[T]\r\nb=2\r\n[s]\r\nc=3\r\n");
  file.RemoveKey("T", "B");
  file.RemoveSection("S");  // every section of the name
  EXPECT_EQ(file.Bytes(), "x=0\r\n[T]\r\n");
}

class IniFunctionsTest : public testing::Test {
 protected:
  IniFunctionsTest() { fs::create_directories(folder_); }
  ~IniFunctionsTest() override { fs::remove_all(folder_); }
  void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Get(const std::string& section, const std::string& key, const std::string& def,
                  uint32_t size = 2048) {
    std::string buffer(size + 1, '#');
    const uint32_t n = ini_->GetPrivateProfileString(section, key, def, buffer.data(), size, path_);
    EXPECT_EQ(buffer[n], '\0');
    return buffer.substr(0, n);
  }
  bool Set(const std::string& section, std::optional<std::string> key,
           std::optional<std::string> value, const std::string& path = {}) {
    return ini_->WritePrivateProfileString(section, key, value, path.empty() ? path_ : path);
  }

  fs::path folder_ = fs::temp_directory_path() / ("duskline-" + std::to_string(::getpid()));
  std::string path_ = (folder_ / "p.ini").string();
  std::unique_ptr<IniFunctions> ini_ = MakeSystemIniFunctions();
};

TEST_F(IniFunctionsTest, ReadsTheValueOrTheDefault) {
  const std::string text =
      "a=0\r\n[S]\r\n a = b c \t\r\nq=\" q \"\r\nk=aba\r\ns='q'\r\nv=\"\"\r\n"
      "u=\"q\r\nn\r\ne=\r\nx=b=c\r\nz=1" +
      std::string(1, '\0') + "2\r\n[s]\r\nd=2\r\n[T]\nl=" + std::string(3000, 'v') + "\n[ U ]\rw=1";
  // clang-format off
  const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
      {"S", "A", "d", "b c"}, {"S", "k", "d", "aba"}, {"S", "s", "d", "q"}, {"S", "q", "d", " q "}, {"S", "v", "d", ""},
      {"S", "u", "d", "\"q"}, {"S", "n", "d", "d"}, {"S", "e", "d", ""}, {"S", "x", "d", "b=c"}, {"S", "z", "d", "1"}, {"S", "d", "d", "d"},
      {"", "a", "d", "0"}, {"U", "w", "d", "1"}, {"V", "a", "d  ", "d"},
      {"T", "l", "", std::string(2047, 'v')}};
  // clang-format on
  Put(text);
  for (const auto& [section, key, def, expected] : cases)
    EXPECT_EQ(Get(section, key, def), expected) << section << key;
}

#ifndef _WIN32
// Our own functions: the file is replaced in one step, keeps its owner and permissions and
// the link that led to it, and what could not be read is never replaced.
TEST_F(IniFunctionsTest, FilesAreReplacedWholeAndOnlyWhenReadable) {
  Put("[S]\r\na=1\r\n");
  ::chmod(path_.c_str(), 0640);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path_.c_str(), 1234, 1235), 0);
  }
  struct stat before {};
  ::stat(path_.c_str(), &before);
  EXPECT_TRUE(Set("S", "a", "1"));
  struct stat after {};
  ::stat(path_.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino) << "nothing to change: the file stays";
  EXPECT_TRUE(Set("S", "a", "2"));
  ::stat(path_.c_str(), &after);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  const fs::path link = folder_ / "link.ini";
  fs::create_symlink(path_, link);
  EXPECT_TRUE(Set("S", "a", "3", link.string()));
  std::signal(SIGXFSZ, SIG_IGN);  // a write that fails half way (file size limit)
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{8, limit.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool written = Set("S", "a", "4444444444");
  ::setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(written);
  EXPECT_EQ(Bytes(), "[S]\r\na=3\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 2) << "no temporary file left";
  ::chmod(path_.c_str(), 0444);
  EXPECT_FALSE(Set("S", "a", "4"));
  fs::remove(path_);
  fs::create_directory(path_);
  EXPECT_FALSE(Set("S", "a", "5"));
  EXPECT_EQ(Get("S", "a", "d"), "d");
  EXPECT_FALSE(ini_->WritePrivateProfileString("S", "a", "6", ""));
  EXPECT_EQ(ini_->GetPrivateProfileString("S", "x", "", nullptr, 0, path_), 0u);
  const fs::path home = fs::current_path();  // a new file named without a folder
  fs::current_path(folder_);
  const bool relative = Set("S", "a", "7", "new.ini");
  fs::current_path(home);
  EXPECT_TRUE(relative && fs::exists(folder_ / "new.ini"));
}

#endif

}  // namespace
}  // namespace duskline
