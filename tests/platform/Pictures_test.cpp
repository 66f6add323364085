// The drawn pictures and the tray icon's choice of picture.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/Pictures.h"
#include "scheduler/Main.h"

namespace duskline {
namespace {

using enum TrayPicture;

// A pixel at each edge of the logo's parts: sky bands above and below the turn to the glow,
// the sun's rim (1008,146 lies on its radius), glow and ground, the corners of a cell of the D and
// the gaps beside and below it, the gap after the narrow I, the first and the last cell of the E.
TEST(Pictures, TheLogosPartsMeetWhereTheyShould) {
  const Picture logo = DrawLogo();
  ASSERT_EQ(std::tie(logo.width, logo.height), std::make_tuple(1290, 240));
  const std::tuple<int, int, uint32_t> cases[] = {
      {0, 0, 0x1E1E4E},      {0, 60, 0x543066},     {0, 120, 0x904E6C},   {1002, 175, 0xF08A3C},
      {1008, 146, 0xFFD260}, {1157, 175, 0xFFD260}, {1080, 97, 0x723672}, {1080, 98, 0xFFD260},
      {5, 178, 0xF48E3C},    {5, 179, 0x161428},    {64, 40, 0xFAF0DC},   {76, 51, 0x482A60},
      {64, 52, 0x482A60},    {616, 40, 0x422A60},   {747, 135, 0xFAF0DC}, {680, 54, 0xFAF0DC},
      {75, 51, 0xFAF0DC}};
  for (const auto& [x, y, colour] : cases)
    EXPECT_EQ(logo.pixels[y * 1290 + x], 0xFF000000 | colour) << x << "," << y;
}

// At 16 pixels: the clear corner and the disc's smoothed rim, the moon, its smoothed edge and
// the night beside it, the dusk ring, and the exclamation mark's bar, dot and their edges.
// The still picture comes of the icon code; a running animation's odd frames show the mode's.
TEST(Pictures, TheTrayPicturesAndTheirFrames) {
  // clang-format off
  const std::tuple<TrayPicture, int, int, uint32_t> pixels[] = {
      {kNormal, 0, 0, 0}, {kNormal, 7, 0, 0x801E2A5A}, {kNormal, 3, 1, 0x101E2A5A},
      {kNormal, 4, 7, 0xFFF2E08C}, {kNormal, 5, 8, 0xFFD8C986}, {kNormal, 10, 7, 0xFF1E2A5A},
      {kDuskGlow, 1, 7, 0xFFBC832F}, {kDuskGlow, 4, 7, 0xFFF2E08C}, {kWarning, 7, 5, 0xFF281E0A},
      {kWarning, 6, 5, 0xFFBE801B}, {kWarning, 7, 13, 0xFF996716},
      {kUrgentFlash, 7, 11, 0xFFF6D5D5}, {kUrgentFlash, 7, 12, 0xFFFFFFFF}};
  const std::tuple<int32_t, int16_t, bool, uint32_t, TrayPicture> frames[] = {
      {99, 2, false, 1, kNormal}, {2, 3, false, 1, kWarning}, {99, 2, true, 0, kNormal},
      {99, 2, true, 1, kDuskGlow}, {2, 3, true, 3, kUrgentFlash}, {2, 3, true, 4, kWarning},
      {2, 1, true, 1, kWarning}, {3, 4, true, 1, kNormal}};
  // clang-format on
  for (const auto& [picture, x, y, colour] : pixels)
    EXPECT_EQ(DrawTrayPicture(picture, 16).pixels.at(y * 16 + x), colour) << x << "," << y;
  EXPECT_TRUE(DrawTrayPicture(kNormal, -1).pixels.empty());
  for (const auto& [iconCode, mode, running, frame, expected] : frames)
    EXPECT_EQ((TrayAnimation{500, mode, iconCode, running, frame}.Picture()), expected) << mode;
  for (const auto& [interval, timer] : {std::pair{250, 250}, {10, 10}, {9, 10}, {0, 10}, {-1, 10}})
    EXPECT_EQ(TrayAnimation{static_cast<int16_t>(interval)}.TimerInterval(), timer) << interval;
  TrayAnimation animation;  // the same value again is no change
  EXPECT_EQ(
      (std::tuple{animation.SetInterval(500), animation.SetInterval(250), animation.SetMode(2),
                  animation.SetMode(3), animation.SetIconCode(99), animation.SetIconCode(2)}),
      std::tuple(false, true, false, true, false, true));
  EXPECT_EQ(std::tie(animation.interval, animation.mode, animation.iconCode),
            std::make_tuple(int16_t{250}, int16_t{3}, 2));
}

}  // namespace
}  // namespace duskline
