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

void ExpectError(int number, const std::function<void()>& action) {
  try {
    action();
    ADD_FAILURE() << "no error, expected " << number;
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), number);
  }
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

TEST_F(ProfileTest, ReadsTrimTheStoredTextOrTheDefault) {
  EXPECT_EQ(profile_.GetProfileText(Path(), "S", "e", " a "), "a");
  Store("  07:30 1  ");
  EXPECT_EQ(profile_.GetProfileText(Path(), "S", "e", "00:00 2"), "07:30 1");
  EXPECT_EQ(profile_.GetProfileText(Path(), "T", "e", " a "), "a");
  EXPECT_EQ(profile_.GetProfileText(Path(), "S", "f", ""), "");
}

TEST_F(ProfileTest, OnlyTheProfileFamilyFallsBackToTheDefaultProfile) {
  Store("stored");
  profile_.SetDefaultProfile(Path());
  EXPECT_EQ(profile_.DefaultProfile(), Path());
  EXPECT_EQ(profile_.GetProfileText("", "S", "e", "d"), "stored");
  EXPECT_EQ(profile_.GetStringEntry("", "S", "e", "d"), "d");
  EXPECT_EQ(profile_.GetProfileText(" ", "S", "e", "d"), "d");  // blanks are a path
  profile_.WriteProfileNumber("", "S", "n", 5);
  EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "n", 0), ProfileValue(5.0));
}

TEST_F(ProfileTest, WriteReplacesInPlaceOrCreatesTheFile) {
  profile_.WriteProfileText(Path(), "Command", "Code", "00:00 2");
  EXPECT_EQ(Stored(), "[Command]\r\nCode=00:00 2\r\n");
  folder_.Put("p.ini", "[A]\r\nx=1\r\n[Command]\r\nCode=1\r\nNext=2\r\n");
  profile_.WriteProfileText(Path(), "Command", "Code", "22:30 1");
  EXPECT_EQ(Stored(), "[A]\r\nx=1\r\n[Command]\r\nCode=22:30 1\r\nNext=2\r\n");
}

TEST_F(ProfileTest, PlaceholdersAnswerZeroWithoutTouchingTheFile) {
  Store("1");
  EXPECT_EQ(profile_.GetProfileTextByKey(7, 8, "d"), "0");
  EXPECT_EQ(profile_.GetProfileIdentifier(Path(), "S", "e", 3, ","), "0");
}

TEST_F(ProfileTest, WriteStringEntryStoresTheGeneralTextForm) {
  const std::pair<ProfileValue, std::string> cases[] = {
      {"a b", "a b"},
      {-3, "-3"},
      {2.5, "2.5"},
      {0.1, "0.1"},
      {1e20, "1E+20"},
      {true, "True"},
      {false, "False"},
      {ProfileValue(), ""},
      {DateValue{45356}, "03/05/2024"},
      {DateValue{45356.75}, "03/05/2024 18:00:00"},
      {DateValue{0.5}, "12:00:00"}};
  for (const auto& [value, stored] : cases) {
    profile_.WriteStringEntry(Path(), "S", "e", value);
    EXPECT_EQ(Stored(), "[S]\r\ne=" + stored + "\r\n");
  }
}

TEST_F(ProfileTest, ValuesWithoutTextFormRaiseBeforeWriting) {
  ExpectError(kErrInvalidUseOfNull,
              [&] { profile_.WriteProfileText(Path(), "S", "e", ProfileValue::Null()); });
  ExpectError(kErrTypeMismatch,
              [&] { profile_.WriteStringEntry(Path(), "S", "e", ObjectValue{}); });
  EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(ProfileTest, NumbersReadTheLeadingNumber) {
  const std::pair<const char*, double> cases[] = {{"-42", -42},    {"12abc", 12}, {"abc", 0},
                                                  {"1 000", 1000}, {"&H10", 16},  {"2.5", 2.5}};
  for (const auto& [stored, expected] : cases) {
    Store(stored);
    EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "e", 99), ProfileValue(expected)) << stored;
  }
}

TEST_F(ProfileTest, NumbersAreStoredPlainAndDefaultsGoThroughTheirText) {
  profile_.WriteProfileNumber(Path(), "S", "n", -42);
  EXPECT_EQ(Stored(), "[S]\r\nn=-42\r\n");
  EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "missing", 7), ProfileValue(7.0));
  EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "missing", 2.5), ProfileValue(2.5));
  EXPECT_EQ(profile_.GetProfileNumber(Path(), "S", "missing", "12abc"), ProfileValue(12.0));
  ExpectError(kErrInvalidUseOfNull,
              [&] { profile_.GetProfileNumber(Path(), "S", "n", ProfileValue::Null()); });
  Store("1E400");
  ExpectError(kErrOverflow, [&] { profile_.GetProfileNumber(Path(), "S", "e", 0); });
}

TEST_F(ProfileTest, SwitchesReadTheNegatedRoundedNumber) {
  struct Case {
    std::optional<std::string> stored;  // none: no entry
    ProfileSwitch entry;                // GetSwitchEntry with default 5
    ProfileSwitch profileSwitch;        // GetProfileSwitch with default 0
  };
  for (const Case& c :
       {Case{"1", -1, -1}, Case{"0", 0, 0}, Case{"-1", 1, -1}, Case{"0.5", 0, 0},
        Case{"1.5", -2, -1}, Case{"yes", 0, 0}, Case{"   ", 5, 0}, Case{std::nullopt, 5, 0}}) {
    std::filesystem::remove(Path());
    if (c.stored) Store(*c.stored);
    EXPECT_EQ(profile_.GetSwitchEntry(Path(), "S", "e", 5), c.entry) << c.stored.value_or("-");
    EXPECT_EQ(profile_.GetProfileSwitch(Path(), "S", "e", 0), c.profileSwitch);
  }
}

TEST_F(ProfileTest, SwitchesStoreTheNegatedNumber) {
  profile_.WriteProfileSwitch(Path(), "S", "on", -1);
  profile_.WriteProfileSwitch(Path(), "S", "off", 0);
  profile_.WriteProfileSwitch(Path(), "S", "min", -32768);  // negation wraps, no overflow
  EXPECT_EQ(Stored(), "[S]\r\non=1\r\noff=0\r\nmin=-32768\r\n");
  EXPECT_EQ(profile_.GetProfileSwitch(Path(), "S", "on", 0), -1);
  EXPECT_EQ(profile_.GetProfileSwitch(Path(), "S", "off", -1), 0);
  EXPECT_EQ(profile_.GetProfileSwitch(Path(), "S", "missing", 7), -1);
}

TEST_F(ProfileTest, SwitchBeyondSixteenBitsOverflows) {
  for (const char* stored : {"40000", "1E400", "-32768"}) {
    Store(stored);
    ExpectError(kErrOverflow, [&] { profile_.GetSwitchEntry(Path(), "S", "e", 0); });
    ExpectError(kErrOverflow, [&] { profile_.GetProfileSwitch(Path(), "S", "e", 0); });
  }
}

TEST_F(ProfileTest, DatesAreWrittenAsMonthDayYear) {
  profile_.WriteProfileDate(Path(), "S", "d", DateValue{45356.5});
  profile_.WriteProfileDate(Path(), "S", "t", "3/5/24");
  profile_.WriteProfileDate(Path(), "S", "i", "2024-03-05");
  profile_.WriteProfileDate(Path(), "S", "n", 0);
  profile_.WriteProfileDate(Path(), "S", "l", "02/29/2000");
  EXPECT_EQ(Stored(),
            "[S]\r\nd=03/05/2024\r\nt=03/05/2024\r\ni=03/05/2024\r\nn=12/30/1899\r\n"
            "l=02/29/2000\r\n");
}

TEST_F(ProfileTest, UnusableDatesRaiseBeforeWriting) {
  ExpectError(kErrInvalidUseOfNull,
              [&] { profile_.WriteProfileDate(Path(), "S", "d", ProfileValue::Null()); });
  for (ProfileValue bad : {ProfileValue("abc"), ProfileValue("02/30/2023"), ProfileValue(""),
                           ProfileValue("13/01/2020"), ProfileValue()})
    ExpectError(kErrTypeMismatch, [&] { profile_.WriteProfileDate(Path(), "S", "d", bad); });
  ExpectError(kErrOverflow, [&] { profile_.WriteProfileDate(Path(), "S", "d", 3e6); });
  EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(ProfileTest, DatesReadBackAsFormattedText) {
  Store("3/5/2024 10:00");
  EXPECT_EQ(profile_.GetProfileDate(Path(), "S", "e", ""), ProfileValue("03/05/2024"));
  EXPECT_EQ(profile_.GetProfileDate(Path(), "S", "x", DateValue{1}), ProfileValue("12/31/1899"));
  Store("not a date");
  EXPECT_EQ(profile_.GetProfileDate(Path(), "S", "e", ""), ProfileValue("not a date"));
  ExpectError(kErrInvalidUseOfNull,
              [&] { profile_.GetProfileDate(Path(), "S", "e", ProfileValue::Null()); });
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

TEST(ProfileCalls, ClearFlagConversion) {
  struct Case {
    ProfileValue flag;
    bool clears;
  };
  for (const Case& c : {Case{ProfileValue::Null(), false}, Case{ProfileValue(), false},
                        Case{0, false}, Case{2, true}, Case{" 1 ", true}, Case{"false", false},
                        Case{"TRUE", true}, Case{"&H0", false}, Case{true, true}}) {
    RecordingIni ini;
    FakeList none(0);
    clsProfileINI(ini).SetEntriesList("p.ini", "L", &none, c.flag);
    EXPECT_EQ(ini.writes.size(), c.clears ? 1u : 0u);
  }
  for (const char* text : {"yes", "", "12abc"}) {
    RecordingIni ini;
    FakeList none(0);
    ExpectError(kErrTypeMismatch,
                [&] { clsProfileINI(ini).SetEntriesList("p.ini", "L", &none, text); });
    EXPECT_TRUE(ini.writes.empty());
  }
}

TEST(ProfileCalls, EntriesListFailures) {
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
    int error;
    size_t writes;  // the clearing of the section included
  };
  Broken broken;
  NoItems noItems;
  NullSecond nullSecond;
  FakeList tooMany(32769);
  for (const Case& c : {Case{nullptr, kErrObjectNotSet, 1}, Case{&broken, kErrPropertyMissing, 1},
                        Case{&noItems, kErrPropertyMissing, 1}, Case{&tooMany, kErrOverflow, 1},
                        Case{&nullSecond, kErrInvalidUseOfNull, 2}}) {
    RecordingIni ini;
    ExpectError(c.error, [&] { clsProfileINI(ini).SetEntriesList("p.ini", "L", c.control, true); });
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
