// The settings store over the INI functions (recorded by the fakes), and the date and general
// text forms of the values it writes.
#include <gtest/gtest.h>

#include "platform/test/Fakes.h"
#include "profile/clsProfileINI.h"

namespace duskline {
namespace {

using Log = std::vector<std::string>;
using fakes::ErrorOf;

// Date texts and what the store makes of them ("-" for no date).
TEST(Dates, TextsReadAsDatesOrRefused) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"12/31/1999", "12/31/1999"}, {"1/31/2024", "01/31/2024"}, {"2/29/2000", "02/29/2000"},
      {"2/29/2004", "02/29/2004"}, {"2/29/1900", "-"}, {"2/29/2001", "-"},
      {"3/31/2023", "03/31/2023"}, {"4/30/2024", "04/30/2024"}, {"4/31/2024", "-"},
      {"6/31/2024", "-"}, {"12/31/2024", "12/31/2024"}, {"13/1/2024", "-"}, {"0/1/2024", "-"},
      {"1/0/2024", "-"}, {"2024-04-05", "04/05/2024"}, {"2024-4-5", "04/05/2024"},
      {"2024-004-05", "-"}, {"2024/1/005", "-"}, {"1/2/29", "01/02/2029"}, {"1/2/30", "01/02/1930"},
      {"1/2/123", "-"}, {"1/2/0099", "-"}, {"1/012/2024", "-"}, {"1/2/0100", "01/02/0100"}, {"1-2/2024", "-"},
      {"1/2", "-"}, {"1/2/", "-"}, {"1/2/2024x", "-"}, {"1x2x2024", "-"}, {"100/2/2024", "-"}, {"012/1/2024", "-"}, {"1/2/20245", "-"}, {"  1/2/2024  ", "01/02/2024"},
      {"x", "-"}, {"10/11/2012", "10/11/2012"}, {"1/2/2024 13:45", "01/02/2024 13:45:00"},
      {"1/2/2024  7:05:09", "01/02/2024 07:05:09"}, {"1/2/2024 23:59:59", "01/02/2024 23:59:59"},
      {"1/2/2024 24:00", "-"}, {"1/2/2024 12:60", "-"}, {"1/2/2024 12:00:60", "-"},
      {"1/2/2024 12", "-"}, {"1/2/2024 123:00", "-"}, {"1/2/2024 7:00x", "-"}, {"1/2/2024 7.30", "-"},
      {"1/2/2024x7:00", "-"}, {"1/2/2024 12:30:45:10", "-"}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    DateValue date{-1e9};
    const bool read = DateFromText(text, date);
    EXPECT_EQ(read ? GeneralText(date) : "-", expected) << text;
  }
  DateValue date;
  const int lastDay[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};  // of 2023
  for (int month = 1; month <= 12; ++month) {
    const std::string m = std::to_string(month) + "/";
    EXPECT_TRUE(DateFromText(m + std::to_string(lastDay[month - 1]) + "/2023", date)) << m;
    EXPECT_FALSE(DateFromText(m + std::to_string(lastDay[month - 1] + 1) + "/2023", date)) << m;
  }
  EXPECT_TRUE(DateFromText("1/1/2000", date) && date.serial == 36526);
  EXPECT_TRUE(DateFromText("2024-03-01 06:00", date) && date.serial == 45352.25);
  EXPECT_TRUE(DateFromText("2/29/2024", date) && date.serial == 45351);
}

struct Items : ProfileListControl {
  explicit Items(std::vector<ProfileValue> values) : items(std::move(values)) {}
  long long ListCount() const override { return static_cast<long long>(items.size()); }
  ProfileValue List(int16_t index) const override { return items.at(index); }
  std::vector<ProfileValue> items;
};

class StoreTest : public testing::Test {
 protected:
  std::string& Stored(const std::string& key) { return ini_.entries["p.ini [S] " + key]; }
  fakes::FakeIni ini_;
  clsProfileINI store_{ini_};
};

TEST_F(StoreTest, WritesTheGeneralTextOfEachValue) {
  store_.SetDefaultProfile("p.ini");
  store_.WriteProfileSwitch("", "S", "a", -1);
  store_.WriteProfileSwitch("", "S", "b", -32768);
  store_.WriteProfileNumber("", "S", "c", -42);
  store_.WriteProfileText("", "S", "d", true);
  store_.WriteProfileDate("", "S", "e", "2024-04-30");
  store_.WriteProfileDate("", "S", "f", true);
  store_.WriteProfileDate("", "S", "g", 2.75);
  store_.WriteProfileDate("o.ini", "S", "h", DateValue{36526});
  store_.WriteStringEntry("o.ini", "S", "i", ProfileValue());
  store_.ClearEntriesList("", "S");
  EXPECT_EQ(ini_.log,
            (Log{"p.ini [S] a=1", "p.ini [S] b=-32768", "p.ini [S] c=-42", "p.ini [S] d=True",
                 "p.ini [S] e=04/30/2024", "p.ini [S] f=12/29/1899", "p.ini [S] g=01/01/1900",
                 "o.ini [S] h=01/01/2000", "o.ini [S] i=", " [S]"}));
  const std::pair<ProfileValue, int> refused[] = {
      {ProfileValue::Null(), kErrInvalidUseOfNull}, {"4/31/2024", 13}, {ObjectValue{}, 13}};
  for (const auto& [value, error] : refused)
    EXPECT_EQ(ErrorOf([&] { store_.WriteProfileDate("", "S", "x", value); }), error);
}

// The clear flag is read as a truth value; texts must be "True", "False" or a whole number text.
TEST_F(StoreTest, EntriesListClearsOnATrueFlagThenWritesEachItem) {
  const Items list({"a", 2.5, false});
  // clang-format off
  const std::pair<ProfileValue, int> flags[] = {
      {true, 1}, {false, 0}, {ProfileValue(), 0}, {ProfileValue::Null(), 0}, {-1, 1}, {0, 0},
      {DateValue{2}, 1}, {DateValue{0}, 0}, {" tRUE ", 1}, {"false", 0}, {"1", 1}, {" 0 ", 0},
      {"-0.5", 1}, {"1E2", 1}, {"2d-1", 1}, {"&H0", 0}, {"&o7", 1}, {".0", 0}, {"+3", 1},
      {"abc", kErrTypeMismatch}, {"1e", kErrTypeMismatch}, {"1.5.5", kErrTypeMismatch},
      {"&H", kErrTypeMismatch}, {"&HG", kErrTypeMismatch}, {"&x1", kErrTypeMismatch},
      {"-", kErrTypeMismatch}, {"", kErrTypeMismatch}, {"1 2", kErrTypeMismatch},
      {"Truex", kErrTypeMismatch}, {"Tru", kErrTypeMismatch}, {"1e+", kErrTypeMismatch},
      {ObjectValue{}, kErrTypeMismatch}};
  // clang-format on
  for (size_t i = 0; i < std::size(flags); ++i) {
    SCOPED_TRACE(i);
    const auto& [flag, expected] = flags[i];
    ini_.log.clear();
    const int error = ErrorOf([&] { store_.SetEntriesList("p.ini", "L", &list, flag); });
    Log written{"p.ini [L] 1=a", "p.ini [L] 2=2.5", "p.ini [L] 3=False"};
    if (expected == 1) written.insert(written.begin(), "p.ini [L]");
    EXPECT_EQ(error, expected == 1 ? 0 : expected);
    EXPECT_EQ(ini_.log, error ? Log{} : written);
  }
  ini_.log.clear();
  EXPECT_EQ(ErrorOf([&] { store_.SetEntriesList("p.ini", "L", nullptr, true); }), kErrObjectNotSet);
  EXPECT_EQ(ini_.log, Log{"p.ini [L]"});
  const ProfileListControl bare;
  EXPECT_EQ(ErrorOf([&] { store_.SetEntriesList("p.ini", "L", &bare, 0); }), kErrPropertyMissing);
  EXPECT_EQ(ErrorOf([&] { bare.List(0); }), kErrPropertyMissing);
  const Items tooMany{std::vector<ProfileValue>(32769)};  // its last index is past 16 bits
  EXPECT_EQ(ErrorOf([&] { store_.SetEntriesList("p.ini", "L", &tooMany, 0); }), kErrOverflow);
  const Items nulls({ProfileValue::Null()});
  EXPECT_EQ(ErrorOf([&] { store_.SetEntriesList("p.ini", "L", &nulls, 0); }), kErrInvalidUseOfNull);
}

}  // namespace
}  // namespace duskline
