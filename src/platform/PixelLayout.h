// Twips to pixels at a DPI (1440 twips to the inch). Edges are converted, not sizes,
// so that controls which meet in twips still meet in pixels.
#pragma once

#include "platform/Layout.h"

namespace duskline {

struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};

int TwipsToPixels(int twips, int dpi);

// The control's rectangle in the form's client area: containers' offsets added up.
PixelRect ControlPixels(const FormLayout& form, const ControlLayout& control, int dpi);

// The client area of the form.
PixelRect ClientPixels(const FormLayout& form, int dpi);

// Nesting depth of a control: 0 on the form, 1 inside a frame on the form, and so on.
int ContainerDepth(const FormLayout& form, const ControlLayout& control);

}  // namespace duskline
