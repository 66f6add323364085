#include "platform/Pictures.h"

#include <algorithm>

namespace duskline {
namespace {

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgba kNight{30, 42, 90, 1};
constexpr Rgba kMoon{242, 224, 140, 1};
constexpr Rgba kAmber{240, 160, 32, 1};
constexpr Rgba kInk{40, 30, 10, 1};
constexpr Rgba kRed{208, 32, 32, 1};
constexpr Rgba kWhite{255, 255, 255, 1};
constexpr Rgba kClear{};

bool InCircle(double x, double y, double cx, double cy, double r) {
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool InExclamation(double x, double y) {
  return (x >= 0.42 && x <= 0.58 && y >= 0.18 && y <= 0.62) || InCircle(x, y, 0.5, 0.77, 0.08);
}

// The colour of a picture at a point of the unit square (y grows downwards).
Rgba ColourAt(TrayPicture picture, double x, double y) {
  if (!InCircle(x, y, 0.5, 0.5, 0.47)) return kClear;
  switch (picture) {
    case TrayPicture::kWarning:
      return InExclamation(x, y) ? kInk : kAmber;
    case TrayPicture::kUrgentFlash:
      return InExclamation(x, y) ? kWhite : kRed;
    case TrayPicture::kDuskGlow:
      if (!InCircle(x, y, 0.5, 0.5, 0.39)) return kAmber;
      [[fallthrough]];
    case TrayPicture::kNormal:
      break;
  }
  const bool crescent = InCircle(x, y, 0.46, 0.53, 0.30) && !InCircle(x, y, 0.60, 0.42, 0.26);
  return crescent ? kMoon : kNight;
}

template <typename T>
bool Change(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

bool TrayAnimation::SetInterval(int16_t milliseconds) {
  return Change(interval, milliseconds);
}

bool TrayAnimation::SetMode(int16_t value) {
  return Change(mode, value);
}

bool TrayAnimation::SetIconCode(int32_t code) {
  return Change(iconCode, code);
}

TrayPicture TrayAnimation::BasePicture() const {
  return iconCode == kWarningIconCode ? TrayPicture::kWarning : TrayPicture::kNormal;
}

TrayPicture TrayAnimation::Picture() const {
  if (!running || frame % 2 == 0) return BasePicture();
  switch (mode) {
    case kSlowMode:
      return TrayPicture::kDuskGlow;
    case kUrgentMode:
      return TrayPicture::kUrgentFlash;
    default:
      return BasePicture();
  }
}

int TrayAnimation::TimerInterval() const {
  // Zero or a negative 16-bit value would make a busy or a month-long timer.
  return std::max<int>(interval, 10);
}

Picture DrawTrayPicture(TrayPicture picture, int size) {
  size = std::max(size, 0);
  Picture result{size, size, std::vector<uint32_t>(static_cast<size_t>(size) * size)};
  // Four by four samples per pixel smooth the edges of the circles.
  constexpr int kSamples = 4;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Rgba sum;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) / size;
          const double y = (py + (sy + 0.5) / kSamples) / size;
          const Rgba c = ColourAt(picture, x, y);
          sum.r += c.r * c.a;
          sum.g += c.g * c.a;
          sum.b += c.b * c.a;
          sum.a += c.a;
        }
      }
      if (sum.a == 0) continue;
      // The colour of the covered samples, and the share they cover as alpha.
      const auto channel = [&](double v) { return static_cast<uint32_t>(v / sum.a + 0.5); };
      const auto alpha = static_cast<uint32_t>(sum.a * 255 / (kSamples * kSamples) + 0.5);
      result.pixels[static_cast<size_t>(py) * size + px] =
          alpha << 24 | channel(sum.r) << 16 | channel(sum.g) << 8 | channel(sum.b);
    }
  }
  return result;
}

namespace {

// Colours as 0xRRGGBB.
constexpr uint32_t kSkyNight = 0x1C1E4E;
constexpr uint32_t kDusk = 0x7A3A78;
constexpr uint32_t kGlow = 0xF48E3C;
constexpr uint32_t kSun = 0xFFD260;
constexpr uint32_t kGround = 0x161428;
constexpr uint32_t kCream = 0xFAF0DC;
constexpr uint32_t kOpaque = 0xFF000000;

constexpr int kHorizon = 176;  // the first row of the glow line; the ground starts 3 rows below
constexpr int kSunX = 1080;
constexpr int kSunRadius = 78;

// The word in a blocky alphabet of cells: one byte per row, the leftmost cell in bit 4.
struct Glyph {
  int cells;  // across
  uint8_t rows[7];
};
constexpr Glyph kWord[] = {
    {5, {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},  // D
    {5, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},  // U
    {5, {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},  // S
    {5, {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},  // K
    {5, {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},  // L
    {3, {0x1C, 0x08, 0x08, 0x08, 0x08, 0x08, 0x1C}},  // I
    {5, {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},  // N
    {5, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},  // E
};
constexpr int kWordLeft = 64;
constexpr int kWordTop = 40;
constexpr int kCell = 14;  // a filled square of 12 pixels and a gap of 2
constexpr int kLetterGap = 22;

// The sky of a row above the horizon: night to dusk over the top six tenths, then dusk to glow,
// each channel rounded to a multiple of 6 so that the sky falls into bands.
uint32_t SkyColour(int y) {
  const bool high = 10 * y < 6 * kHorizon;
  const int span = high ? 6 * kHorizon : 4 * kHorizon;
  const int step = high ? 10 * y : 10 * y - 6 * kHorizon;
  const uint32_t from = high ? kSkyNight : kDusk;
  const uint32_t to = high ? kDusk : kGlow;
  uint32_t colour = kOpaque;
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>(from >> shift & 0xFF);
    const int b = static_cast<int>(to >> shift & 0xFF);
    // Rounded to the nearest multiple: no row falls on a half.
    const int value = (2 * (a * span + (b - a) * step) + 6 * span) / (12 * span) * 6;
    colour |= static_cast<uint32_t>(value) << shift;
  }
  return colour;
}

}  // namespace

Picture DrawLogo() {
  Picture logo{kLogoWidth, kLogoHeight,
               std::vector<uint32_t>(static_cast<size_t>(kLogoWidth) * kLogoHeight)};
  uint32_t* row = logo.pixels.data();
  for (int y = 0; y < kLogoHeight; ++y, row += kLogoWidth) {
    if (y >= kHorizon) {
      std::fill_n(row, kLogoWidth, kOpaque | (y < kHorizon + 3 ? kGlow : kGround));
      continue;
    }
    std::fill_n(row, kLogoWidth, SkyColour(y));
    // The sun's span on this row: the pixels whose centre lies within its radius.
    const int dy = kHorizon - y;
    if (dy <= kSunRadius) {
      int dx = 0;
      while ((dx + 1) * (dx + 1) + dy * dy <= kSunRadius * kSunRadius) ++dx;
      std::fill_n(row + kSunX - dx, 2 * dx + 1, kOpaque | kSun);
    }
    const int cellY = y - kWordTop;
    if (cellY < 0 || cellY >= 7 * kCell || cellY % kCell >= kCell - 2) continue;
    int x = kWordLeft;
    for (const Glyph& letter : kWord) {
      for (int cell = 0; cell < letter.cells; ++cell)
        if (letter.rows[cellY / kCell] >> (4 - cell) & 1)
          std::fill_n(row + x + cell * kCell, kCell - 2, kOpaque | kCream);
      x += letter.cells * kCell + kLetterGap;
    }
  }
  return logo;
}

}  // namespace duskline
