#include "platform/PixelLayout.h"

#include <cmath>

namespace duskline {
namespace {

constexpr int kTwipsPerInch = 1440;
// A layout that names itself as its own container must not hang the program.
constexpr int kMaxDepth = 32;

}  // namespace

int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

PixelRect ControlPixels(const FormLayout& form, const ControlLayout& control, int dpi) {
  int left = control.left;
  int top = control.top;
  const ControlLayout* inside = &control;
  for (int depth = 0; depth < kMaxDepth && !inside->container.empty(); ++depth) {
    inside = form.Find(inside->container);
    if (inside == nullptr) break;
    left += inside->left;
    top += inside->top;
  }
  const int x = TwipsToPixels(left, dpi);
  const int y = TwipsToPixels(top, dpi);
  return {x, y, TwipsToPixels(left + control.width, dpi) - x,
          TwipsToPixels(top + control.height, dpi) - y};
}

PixelRect ClientPixels(const FormLayout& form, int dpi) {
  return {0, 0, TwipsToPixels(form.clientWidth, dpi), TwipsToPixels(form.clientHeight, dpi)};
}

int ContainerDepth(const FormLayout& form, const ControlLayout& control) {
  int depth = 0;
  const ControlLayout* inside = &control;
  while (depth < kMaxDepth && !inside->container.empty()) {
    inside = form.Find(inside->container);
    if (inside == nullptr) break;
    ++depth;
  }
  return depth;
}

}  // namespace duskline
