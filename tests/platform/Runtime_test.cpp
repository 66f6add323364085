// Numbers from text, as the run time reads them.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace duskline
