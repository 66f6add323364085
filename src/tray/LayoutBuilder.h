// Shorthand for writing form layouts as data.
#pragma once

#include <string>
#include <utility>

#include "platform/Layout.h"

namespace duskline {

// A control at a position (twips, relative to its container) with its tab index and text.
inline ControlLayout Place(std::string name, ControlKind kind, std::string container, int left,
                           int top, int width, int height, int tabIndex, std::string text = {}) {
  ControlLayout control;
  control.name = std::move(name);
  control.kind = kind;
  control.container = std::move(container);
  control.left = left;
  control.top = top;
  control.width = width;
  control.height = height;
  control.tabIndex = tabIndex;
  control.text = std::move(text);
  return control;
}

// A timer: no window, no position.
inline ControlLayout PlaceTimer(std::string name, bool enabled, int interval) {
  ControlLayout timer = Place(std::move(name), ControlKind::Timer, "", 0, 0, 0, 0, -1);
  timer.enabled = enabled;
  timer.interval = interval;
  return timer;
}

}  // namespace duskline
