#include "platform/win32/Logo_win.h"

#include <algorithm>
#include <cstdint>

namespace duskline::win32 {
namespace {

// Colours as 0xRRGGBB, the layout of a 32-bit bitmap's pixel.
constexpr uint32_t kNight = 0x1C1E4E;
constexpr uint32_t kDusk = 0x7A3A78;
constexpr uint32_t kGlow = 0xF48E3C;
constexpr uint32_t kSun = 0xFFD260;
constexpr uint32_t kGround = 0x161428;
constexpr uint32_t kCream = 0xFAF0DC;

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
  const uint32_t from = high ? kNight : kDusk;
  const uint32_t to = high ? kDusk : kGlow;
  uint32_t colour = 0;
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

HBITMAP DrawLogo() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kLogoWidth;
  info.bmiHeader.biHeight = -kLogoHeight;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP logo = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (logo == nullptr) return nullptr;

  auto* row = static_cast<uint32_t*>(bits);
  for (int y = 0; y < kLogoHeight; ++y, row += kLogoWidth) {
    if (y >= kHorizon) {
      std::fill_n(row, kLogoWidth, y < kHorizon + 3 ? kGlow : kGround);
      continue;
    }
    std::fill_n(row, kLogoWidth, SkyColour(y));
    // The sun's span on this row: the pixels whose centre lies within its radius.
    const int dy = kHorizon - y;
    if (dy <= kSunRadius) {
      int dx = 0;
      while ((dx + 1) * (dx + 1) + dy * dy <= kSunRadius * kSunRadius) ++dx;
      std::fill_n(row + kSunX - dx, 2 * dx + 1, kSun);
    }
    const int cellY = y - kWordTop;
    if (cellY < 0 || cellY >= 7 * kCell || cellY % kCell >= kCell - 2) continue;
    int x = kWordLeft;
    for (const Glyph& letter : kWord) {
      for (int cell = 0; cell < letter.cells; ++cell)
        if (letter.rows[cellY / kCell] >> (4 - cell) & 1)
          std::fill_n(row + x + cell * kCell, kCell - 2, kCream);
      x += letter.cells * kCell + kLetterGap;
    }
  }
  return logo;
}

}  // namespace duskline::win32
