// The run-time rules as tables: numbers from text, 16-bit rounding, error texts, and the
// dispatcher's rule for errors.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "platform/Events.h"
#include "platform/Runtime.h"
#include "platform/test/Fakes.h"

namespace duskline {
namespace {

using fakes::ErrorOf;

TEST(NumberFromText, ReadsWhatFitsThePattern) {
  // clang-format off
  const std::pair<const char*, double> cases[] = {
      {"12", 12}, {" 1 2\t", 12}, {"1\n2", 12}, {"-3.5", -3.5}, {"+7", 7}, {"1.2.3", 1.2},
      {".5", 0.5}, {"1e3", 1000}, {"1D2", 100}, {"2E-1", 0.2}, {"2d+2", 200}, {"3E", 3}, {"3Ex", 3},
      {"abc", 0}, {"", 0}, {"-", 0}, {".", 0}, {"&", 0}, {"&Ha", 10}, {"&hf", 15}, {"&H19", 25},
      {"&H1F", 31}, {"&HfG1", 15}, {"&O17", 15}, {"&o8", 0}, {"&X1", 0}, {"12:30", 12}, {"- 4", -4},
      {"&H 1 0", 16}, {"1e-400", 0}};
  // clang-format on
  for (const auto& [text, expected] : cases) EXPECT_EQ(NumberFromText(text), expected) << text;
  EXPECT_EQ(ErrorOf([] { NumberFromText("1e400"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { NumberFromText("&H" + std::string(300, 'F')); }), kErrOverflow);
}

TEST(RoundToInt16, HalvesGoToTheEvenNeighbourAndOnlySixteenBitsFit) {
  const std::pair<double, int> cases[] = {{2.5, 2},         {3.5, 4},           {-2.5, -2},
                                          {32767.4, 32767}, {-32768.5, -32768}, {0.4, 0}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundToInt16(value), expected) << value;
  for (double value : {32767.5, -32769.0, std::nan("")})
    EXPECT_EQ(ErrorOf([value] { RoundToInt16(value); }), kErrOverflow) << value;
}

TEST(ErrorTexts, NumberDescriptionAndReports) {
  const std::pair<int, const char*> cases[] = {
      {91, "Object variable or With block variable not set"},
      {94, "Invalid use of Null"},
      {380, "Invalid property value"},
      {5, "Application-defined or object-defined error"}};
  for (const auto& [number, text] : cases) EXPECT_EQ(RuntimeError(number).Description(), text);
  EXPECT_EQ(StandardErrorText(RuntimeError(13)), "Run-time error '13':\n\nType mismatch");
}

// An error leaving an event the loop raised is reported; one leaving an event the program raised
// from inside a handler travels to that handler.
TEST(EventDispatcher, OutermostErrorsAreReportedInnerOnesTravel) {
  std::vector<int> reported;
  EventDispatcher events([&](const RuntimeError& error) { reported.push_back(error.Number()); });
  Handler failing = events.Wrap([] { Raise(kErrOverflow); });
  events.Raise([&] { EXPECT_EQ(ErrorOf(failing), kErrOverflow); });
  EXPECT_TRUE(reported.empty());
  failing();
  bool flag = false;
  events.Wrap(std::function<void(bool&)>([](bool&) { Raise(kErrTypeMismatch); }))(flag);
  events.Wrap(std::function<void(int)>([](int key) { Raise(key); }))(kErrObjectNotSet);
  // What reaches a backend's event loop goes to its last resort, if it has one; a foreign
  // exception as the internal error 51.
  const LastResort last = [&](const RuntimeError& error) { reported.push_back(error.Number()); };
  for (const LastResort* report : {&last, static_cast<const LastResort*>(nullptr)}) {
    try {
      throw std::logic_error("foreign");
    } catch (...) {
      ReportToLastResort(report);
    }
    try {
      Raise(kErrOverflow);
    } catch (...) {
      ReportToLastResort(report);
    }
  }
  EXPECT_EQ(reported,
            (std::vector<int>{kErrOverflow, kErrTypeMismatch, kErrObjectNotSet, 51, kErrOverflow}));
}

}  // namespace
}  // namespace duskline
