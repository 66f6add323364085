#include "scheduler/ScheduleCommand.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/Runtime.h"

namespace duskline {
namespace {

struct ParseCase {
  std::string command;
  std::string timeText;
  int typeIndex;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << '"' << c.command << '"';
}

class ParseScheduleCommandTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseScheduleCommandTest, SplitsAtTheFirstBlank) {
  const ParseCase& c = GetParam();
  const ScheduleParts parts = ParseScheduleCommand(c.command);
  EXPECT_EQ(parts.timeText, c.timeText);
  EXPECT_EQ(parts.typeIndex, c.typeIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ParseScheduleCommandTest,
    testing::Values(ParseCase{"00:00 2", "00:00", 2}, ParseCase{"07:30 1", "07:30", 1},
                    ParseCase{"12:00", "", 0},  // no blank: nothing taken
                    ParseCase{"", "", 0},       //
                    ParseCase{" 2", "", 2},     // leading blank: empty time
                    ParseCase{"12:30 abc", "12:30", 0}, ParseCase{"12:30 1x", "12:30", 1},
                    ParseCase{"12: 30 1", "12:", 301},  // blanks inside the number are skipped
                    ParseCase{"07:30-1", "", 0},        // -1 has no blank of its own
                    ParseCase{"7 30 1", "7", 301}, ParseCase{"07:30\t1", "", 0},
                    ParseCase{"12:30 1.5", "12:30", 2}, ParseCase{"12:30 2.5", "12:30", 2},
                    ParseCase{"12:30 0.5", "12:30", 0}, ParseCase{"12:30 -1", "12:30", -1},
                    ParseCase{"12:30 &H2", "12:30", 2}, ParseCase{"12:30 32767", "12:30", 32767},
                    ParseCase{"12:30 -32768", "12:30", -32768}));

TEST(ParseScheduleCommand, IndexBeyondSixteenBitsOverflows) {
  for (const char* command : {"12:30 99999", "12:30 32768", "12:30 -32769", "x 1e300"}) {
    SCOPED_TRACE(command);
    try {
      ParseScheduleCommand(command);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), kErrOverflow);
    }
  }
}

// The index carries its sign position; what is produced parses back.
TEST(ProduceScheduleCommand, IndexCarriesItsSignPositionAndParsesBack) {
  for (auto [time, index, command] : {std::tuple{"00:00", 2, "00:00 2"},
                                      {"22:15", 0, "22:15 0"},
                                      {"07:30", -1, "07:30-1"},
                                      {"", 1, " 1"},
                                      {"23:59", 1, "23:59 1"},
                                      {"7 30", 1, "7 30 1"}}) {
    EXPECT_EQ(ProduceScheduleCommand(time, index), command);
    if (index >= 0 && std::string(time).find(' ') == std::string::npos) {
      EXPECT_EQ(ParseScheduleCommand(command).typeIndex, index) << command;
    }
  }
}

TEST(ScheduleFilePath, JoinsWithOneSeparator) {
  EXPECT_EQ(ScheduleFilePath("C:\\Tools"), "C:\\Tools\\Vesperon.ini");
  EXPECT_EQ(ScheduleFilePath("C:\\"), "C:\\Vesperon.ini");
}

TEST(ShutdownTypeName, UnknownIndexesNameTheLogoff) {
  EXPECT_EQ(ShutdownTypeName(-1), "Logoff");
  EXPECT_EQ(ShutdownTypeName(7), "Logoff");
}

}  // namespace
}  // namespace duskline
