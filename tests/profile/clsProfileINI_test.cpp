// The settings store over the system's INI functions (ours natively), and over a recording
// stand-in where the exact calls matter.
#include "profile/clsProfileINI.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "profile/TempFolder.h"

namespace duskline {
namespace {

using testing_support::TempFolder;

// Answers every read with a fixed buffer text and count, and records every write.
class RecordingIni : public IniFunctions {
 public:
  struct Write {
    std::string section;
    std::optional<std::string> key, value;
    std::string fileName;
    bool operator==(const Write&) const = default;
  };

  uint32_t GetPrivateProfileString(const std::string&, const std::string&, const std::string&,
                                   char* buffer, uint32_t size, const std::string&) override {
    std::memcpy(buffer, answer.data(), std::min<size_t>(answer.size(), size));
    return count;
  }
  bool WritePrivateProfileString(const std::string& section, const std::optional<std::string>& key,
                                 const std::optional<std::string>& value,
                                 const std::string& fileName) override {
    writes.push_back({section, key, value, fileName});
    return true;
  }

  std::string answer;
  uint32_t count = 0;
  std::vector<Write> writes;
};

// Runs action and expects the error numbered (0: none).
void ExpectError(int number, const std::function<void()>& action) {
  int raised = 0;
  try {
    action();
  } catch (const RuntimeError& error) {
    raised = error.Number();
  }
  EXPECT_EQ(raised, number);
}

class ProfileTest : public testing::Test {
 protected:
  std::string Path() const { return folder_.File("p.ini"); }
  std::string Stored() const { return folder_.Read("p.ini"); }
  void Store(const std::string& value) { folder_.Put("p.ini", "[S]\r\ne=" + value + "\r\n"); }

  TempFolder folder_;
  std::unique_ptr<IniFunctions> ini_ = MakeSystemIniFunctions();
  clsProfileINI profile_{*ini_};
};

TEST_F(ProfileTest, TextReadsTrimAndOnlyTheProfileFamilyFallsBackToTheDefaultProfile) {
  EXPECT_EQ(profile_.GetProfileText(Path(), "S", "e", " a "), "a");
  Store("  07:30 1  ");
  EXPECT_EQ(profile_.GetProfileText(Path(), "S", "e", "00:00 2"), "07:30 1");
  EXPECT_EQ(profile_.GetProfileText(Path(), "T", "e", " a "), "a");
  EXPECT_EQ(profile_.GetProfileText(Path(), "S", "f", ""), "");
  EXPECT_EQ(profile_.GetProfileTextByKey(7, 8, "d"), "0");  // placeholders
  EXPECT_EQ(profile_.GetProfileIdentifier(Path(), "S", "e", 3, ","), "0");
  profile_.SetDefaultProfile(Path());
  EXPECT_EQ(profile_.GetProfileText("", "S", "e", "d"), "07:30 1");
  EXPECT_EQ(profile_.GetStringEntry("", "S", "e", "d"), "d");
  EXPECT_EQ(profile_.GetProfileText(" ", "S", "e", "d"), "d");  // blanks are a path
  profile_.WriteProfileNumber("", "S", "n", 5);
  EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "n", 0), ProfileValue(5.0));
}

TEST_F(ProfileTest, EachFamilyStoresItsTextForm) {
  const ProfileValue general[] = {"a b",
                                  -3,
                                  2.5,
                                  0.1,
                                  1e20,
                                  true,
                                  false,
                                  ProfileValue(),
                                  DateValue{45356},
                                  DateValue{45356.75},
                                  DateValue{0.5}};
  for (size_t i = 0; i < std::size(general); ++i)
    profile_.WriteStringEntry(Path(), "S", std::to_string(i), general[i]);
  profile_.WriteProfileNumber(Path(), "N", "n", -42);
  profile_.WriteProfileSwitch(Path(), "W", "on", -1);
  profile_.WriteProfileSwitch(Path(), "W", "off", 0);
  profile_.WriteProfileSwitch(Path(), "W", "min", -32768);  // negation wraps, no overflow
  const ProfileValue dates[] = {DateValue{45356.5}, "3/5/24", "2024-03-05", 0, "02/29/2000"};
  for (size_t i = 0; i < std::size(dates); ++i)
    profile_.WriteProfileDate(Path(), "D", std::to_string(i), dates[i]);
  EXPECT_EQ(Stored(),
            "[S]\r\n0=a b\r\n1=-3\r\n2=2.5\r\n3=0.1\r\n4=1E+20\r\n5=True\r\n6=False\r\n7=\r\n"
            "8=03/05/2024\r\n9=03/05/2024 18:00:00\r\n10=12:00:00\r\n[N]\r\nn=-42\r\n"
            "[W]\r\non=1\r\noff=0\r\nmin=-32768\r\n[D]\r\n0=03/05/2024\r\n"
            "1=03/05/2024\r\n2=03/05/2024\r\n3=12/30/1899\r\n4=02/29/2000\r\n");
  EXPECT_EQ(profile_.GetProfileSwitch(Path(), "W", "on", 0), -1);
  EXPECT_EQ(profile_.GetProfileSwitch(Path(), "W", "off", -1), 0);
}

TEST_F(ProfileTest, UnusableValuesRaiseBeforeWritingAndNullDefaultsRaise) {
  const ProfileValue null = ProfileValue::Null();
  ExpectError(kErrInvalidUseOfNull, [&] { profile_.WriteProfileText(Path(), "S", "e", null); });
  ExpectError(kErrTypeMismatch,
              [&] { profile_.WriteStringEntry(Path(), "S", "e", ObjectValue{}); });
  ExpectError(kErrInvalidUseOfNull, [&] { profile_.WriteProfileDate(Path(), "S", "d", null); });
  for (ProfileValue bad : {ProfileValue("abc"), ProfileValue("02/30/2023"), ProfileValue(""),
                           ProfileValue("13/01/2020"), ProfileValue()})
    ExpectError(kErrTypeMismatch, [&] { profile_.WriteProfileDate(Path(), "S", "d", bad); });
  ExpectError(kErrOverflow, [&] { profile_.WriteProfileDate(Path(), "S", "d", 3e6); });
  EXPECT_FALSE(std::filesystem::exists(Path()));
  Store("1");  // a stored entry does not spare the default its conversion
  ExpectError(kErrInvalidUseOfNull, [&] { profile_.GetProfileNumber(Path(), "S", "e", null); });
  ExpectError(kErrInvalidUseOfNull, [&] { profile_.GetProfileDate(Path(), "S", "e", null); });
}

TEST_F(ProfileTest, NumbersReadTheLeadingNumberAndDefaultsGoThroughTheirText) {
  const std::pair<const char*, double> cases[] = {{"-42", -42},    {"12abc", 12}, {"abc", 0},
                                                  {"1 000", 1000}, {"&H10", 16},  {"2.5", 2.5}};
  for (const auto& [stored, expected] : cases) {
    Store(stored);
    EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "e", 99), ProfileValue(expected)) << stored;
  }
  for (const auto& [fallback, expected] :
       {std::pair<ProfileValue, double>{7, 7}, {2.5, 2.5}, {"12abc", 12}})
    EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "missing", fallback), ProfileValue(expected));
  Store("1E400");
  ExpectError(kErrOverflow, [&] { profile_.GetProfileNumber(Path(), "S", "e", 0); });
}

TEST_F(ProfileTest, SwitchesReadTheNegatedRoundedNumber) {
  struct Case {
    std::optional<std::string> stored;  // none: no entry
    ProfileSwitch entry;                // GetSwitchEntry with default 5
    ProfileSwitch profileSwitch;        // GetProfileSwitch with default 0, 7 when not stored
  };
  for (const Case& c :
       {Case{"1", -1, -1}, Case{"0", 0, 0}, Case{"-1", 1, -1}, Case{"0.5", 0, 0},
        Case{"1.5", -2, -1}, Case{"yes", 0, 0}, Case{"   ", 5, 0}, Case{std::nullopt, 5, -1}}) {
    std::filesystem::remove(Path());
    if (c.stored) Store(*c.stored);
    EXPECT_EQ(profile_.GetSwitchEntry(Path(), "S", "e", 5), c.entry) << c.stored.value_or("-");
    EXPECT_EQ(profile_.GetProfileSwitch(Path(), "S", "e", c.stored ? 0 : 7), c.profileSwitch);
  }
  for (const char* stored : {"40000", "1E400", "-32768"}) {
    Store(stored);
    ExpectError(kErrOverflow, [&] { profile_.GetSwitchEntry(Path(), "S", "e", 0); });
    ExpectError(kErrOverflow, [&] { profile_.GetProfileSwitch(Path(), "S", "e", 0); });
  }
}

TEST_F(ProfileTest, DatesReadBackAsFormattedText) {
  Store("3/5/2024 10:00");
  EXPECT_EQ(profile_.GetProfileDate(Path(), "S", "e", ""), ProfileValue("03/05/2024"));
  EXPECT_EQ(profile_.GetProfileDate(Path(), "S", "x", DateValue{1}), ProfileValue("12/31/1899"));
  Store("not a date");
  EXPECT_EQ(profile_.GetProfileDate(Path(), "S", "e", ""), ProfileValue("not a date"));
}

// A list control with a given number of items, "item<i>" each.
class FakeList : public ProfileListControl {
 public:
  explicit FakeList(long long count) : count_(count) {}
  long long ListCount() const override { return count_; }
  ProfileValue List(int16_t index) const override { return "item" + std::to_string(index); }

 private:
  long long count_;
};

TEST_F(ProfileTest, EntriesListWritesNumberedEntriesOverTheOldOnes) {
  folder_.Put("p.ini", "[L]\r\n1=a\r\n2=b\r\n3=c\r\n4=d\r\n5=e\r\n[Z]\r\nz=1\r\n");
  FakeList three(3);
  profile_.SetEntriesList(Path(), "L", &three, false);
  EXPECT_EQ(Stored(), "[L]\r\n1=item0\r\n2=item1\r\n3=item2\r\n4=d\r\n5=e\r\n[Z]\r\nz=1\r\n");
  profile_.SetEntriesList(Path(), "L", &three, "True");
  EXPECT_EQ(Stored(), "[Z]\r\nz=1\r\n[L]\r\n1=item0\r\n2=item1\r\n3=item2\r\n");
  profile_.ClearEntriesList(Path(), "L");
  EXPECT_EQ(Stored(), "[Z]\r\nz=1\r\n");
}

TEST(ProfileCalls, ListOperationsUseThePathAsGiven) {
  RecordingIni ini;
  clsProfileINI profile(ini);
  profile.SetDefaultProfile("default.ini");
  FakeList one(1);
  profile.SetEntriesList("", "L", &one, 1);
  profile.ClearEntriesList("", "L");
  using W = RecordingIni::Write;
  EXPECT_EQ(ini.writes, (std::vector<W>{{"L", std::nullopt, std::nullopt, ""},
                                        {"L", "1", "item0", ""},
                                        {"L", std::nullopt, std::nullopt, ""}}));
}

// The clear flag converts like a truth value; a failing list keeps the clearing of the section.
TEST(ProfileCalls, EntriesListFlagsAndFailures) {
  struct Broken : ProfileListControl {};  // lacks both properties
  struct NoItems : FakeList {
    NoItems() : FakeList(2) {}
    ProfileValue List(int16_t) const override { return ProfileListControl::List(0); }
  };
  struct NullSecond : FakeList {
    NullSecond() : FakeList(3) {}
    ProfileValue List(int16_t i) const override {
      return i == 1 ? ProfileValue::Null() : FakeList::List(i);
    }
  };
  struct Case {
    const ProfileListControl* control;
    ProfileValue flag;
    int error;
    size_t writes;
  };
  const Broken broken;
  const NoItems noItems;
  const NullSecond nullSecond;
  const FakeList none(0), tooMany(32769);
  const ProfileValue null = ProfileValue::Null();
  for (const Case& c :
       {Case{&none, null, 0, 0}, Case{&none, ProfileValue(), 0, 0}, Case{&none, 0, 0, 0},
        Case{&none, 2, 0, 1}, Case{&none, " 1 ", 0, 1}, Case{&none, "false", 0, 0},
        Case{&none, "TRUE", 0, 1}, Case{&none, "&H0", 0, 0}, Case{&none, true, 0, 1},
        Case{&none, "yes", kErrTypeMismatch, 0}, Case{&none, "", kErrTypeMismatch, 0},
        Case{&none, "12abc", kErrTypeMismatch, 0}, Case{nullptr, true, kErrObjectNotSet, 1},
        Case{&broken, true, kErrPropertyMissing, 1}, Case{&noItems, true, kErrPropertyMissing, 1},
        Case{&tooMany, true, kErrOverflow, 1}, Case{&nullSecond, true, kErrInvalidUseOfNull, 2}}) {
    RecordingIni ini;
    ExpectError(c.error,
                [&] { clsProfileINI(ini).SetEntriesList("p.ini", "L", c.control, c.flag); });
    EXPECT_EQ(ini.writes.size(), c.writes);
  }
}

TEST(ProfileCalls, ListFillingTheSixteenBitRangeIsWrittenWhole) {
  RecordingIni ini;
  FakeList full(32768);
  clsProfileINI(ini).SetEntriesList("p.ini", "L", &full, false);
  ASSERT_EQ(ini.writes.size(), 32768u);
  EXPECT_EQ(ini.writes.back(), (RecordingIni::Write{"L", "32768", "item32767", "p.ini"}));
}

TEST(ProfileCalls, ReadIsCutByCountAndTrimsBlanksOnly) {
  struct Case {
    std::string answer;
    uint32_t count;
    std::string expected;
  };
  for (const Case& c :
       {Case{"ab cd", 2, "ab"}, Case{"  \tx\t  ", 7, "\tx\t"},
        Case{std::string("a\0b", 3), 3, std::string("a\0b", 3)}, Case{"xyz", 5000, "xyz"}}) {
    RecordingIni ini;
    ini.answer = c.answer;
    ini.count = c.count;
    // A count beyond the buffer is never trusted; the buffer starts as blanks.
    std::string read = clsProfileINI(ini).GetStringEntry("p.ini", "S", "e", "");
    EXPECT_EQ(read, c.expected);
  }
}

}  // namespace
}  // namespace duskline
