#include "platform/Runtime.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/Events.h"

namespace duskline {
namespace {

struct NumberCase {
  const char* text;
  double expected;
};

TEST(NumberFromText, ReadsTheLeadingNumber) {
  const NumberCase cases[] = {
      {"", 0},        {"abc", 0},      {"12abc", 12},    {" 2", 2},     {" 1x", 1},   {" x", 0},
      {" 30 1", 301}, {"1 000", 1000}, {"\t-4\n2", -42}, {"+7", 7},     {"1.5", 1.5}, {".5", 0.5},
      {"1.2.3", 1.2}, {"1,5", 1},      {"-", 0},         {"1e3", 1000}, {"1D2", 100}, {"2e-1", 0.2},
      {"1e", 1},      {"1e+", 1},      {"&H10", 16},     {"&h1F", 31},  {"&O17", 15}, {"&o8", 0},
      {"&", 0},       {"&X1", 0},      {"&HFFG", 255},   {"1e-400", 0}, {"-0", 0},    {"12:30", 12},
  };
  for (const NumberCase& c : cases) EXPECT_DOUBLE_EQ(NumberFromText(c.text), c.expected) << c.text;
}

TEST(NumberFromText, RaisesOverflowBeyondTheDoubleRange) {
  for (const std::string& text :
       {std::string("1e400"), std::string("-1D999"), "&H" + std::string(270, 'F')}) {
    try {
      NumberFromText(text);
      ADD_FAILURE() << text;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), kErrOverflow);
      EXPECT_EQ(e.Description(), "Overflow");
    }
  }
}

TEST(RoundToInt16, RoundsHalvesToEvenAndChecksTheRange) {
  const std::pair<double, int> cases[] = {
      {0.5, 0}, {1.5, 2},       {2.5, 2},         {-0.5, 0},        {-1.5, -2},
      {2.4, 2}, {32767, 32767}, {-32768, -32768}, {32767.4, 32767}, {-32768.5, -32768}};
  for (auto [value, expected] : cases) EXPECT_EQ(RoundToInt16(value), expected) << value;
  for (double bad : {32767.5, 32768.0, -32768.6, 99999.0, double(NAN)}) {
    EXPECT_THROW(RoundToInt16(bad), RuntimeError) << bad;
  }
}

// The other numbers' reports are checked where the program raises them.
TEST(RuntimeError, ReportsNumberAndUsualDescription) {
  EXPECT_EQ(ErrorReport(RuntimeError(94)), "[94] Invalid use of Null");
}

TEST(EventDispatcher, ReportsOnlyAtTheOutermostHandler) {
  std::vector<int> reported;
  EventDispatcher events([&](const RuntimeError& e) { reported.push_back(e.Number()); });
  Handler inner = events.Wrap([] { Raise(kErrInvalidPropertyValue); });

  // Raised by the loop: the rule for unhandled errors applies.
  inner();
  EXPECT_EQ(reported, std::vector<int>{380});

  // Raised by another handler that traps: the error reaches that handler's trap.
  int trapped = 0;
  Handler outer = events.Wrap([&] {
    try {
      inner();
    } catch (const RuntimeError& e) {
      trapped = e.Number();
    }
  });
  outer();
  EXPECT_EQ(trapped, 380);
  EXPECT_EQ(reported.size(), 1u);
  EXPECT_FALSE(events.InHandler());

  bool flag = false;
  auto service = events.Wrap(std::function<void(bool&)>([](bool& ok) {
    ok = true;
    Raise(kErrOverflow);
  }));
  service(flag);
  EXPECT_TRUE(flag);
  EXPECT_EQ(reported, (std::vector<int>{380, 6}));
}

}  // namespace
}  // namespace duskline
