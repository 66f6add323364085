// Edits that bring the bytes of the UTF-8 mark to the top of a file without the mark: the next
// reader must keep them as text, not drop them as the mark.
#include <gtest/gtest.h>

#include <functional>

#include "platform/IniFile.h"

namespace duskline {
namespace {

constexpr const char* kMark = "\xEF\xBB\xBF";

struct MarkCase {
  const char* name;
  std::string before;
  std::function<void(IniFile&)> edit;
  // An entry that must read the same before (where it exists) and after the edit.
  std::string section, key;
  std::optional<std::string> value;
};
void PrintTo(const MarkCase& c, std::ostream* os) {
  *os << c.name;
}

class IniFileMarkBytes : public testing::TestWithParam<MarkCase> {};

TEST_P(IniFileMarkBytes, StayPartOfTheFirstLine) {
  const MarkCase& c = GetParam();
  IniFile file(c.before);
  c.edit(file);
  const IniFile reread(file.Bytes());
  EXPECT_EQ(reread.Value(c.section, c.key), c.value);
  EXPECT_EQ(IniFile(reread.Bytes()).Value(c.section, c.key), c.value) << "and again";
}

INSTANTIATE_TEST_SUITE_P(
    Edits, IniFileMarkBytes,
    testing::Values(MarkCase{"KeyWrittenIntoAnEmptyFile", "",
                             [](IniFile& f) { f.Set("", std::string(kMark) + "k", "v"); }, "",
                             std::string(kMark) + "k", "v"},
                    MarkCase{"KeyWrittenAboveTheFirstSection", "[A]\r\nx=1\r\n",
                             [](IniFile& f) { f.Set("", std::string(kMark) + "k", "v"); }, "",
                             std::string(kMark) + "k", "v"},
                    // Without care the second line would become the header of section B after the
                    // removal, and y would move there.
                    MarkCase{"RemovalOfTheFirstLine", "k=1\n" + std::string(kMark) + "[B]\ny=2\n",
                             [](IniFile& f) { f.RemoveKey("", "k"); }, "", "y", "2"},
                    MarkCase{"FileWithTheMarkKeepsIt", std::string(kMark) + "k=1\n",
                             [](IniFile& f) { f.Set("", "k", "2"); }, "", "k", "2"}));

}  // namespace
}  // namespace duskline
