// A form's layout as data: the Win32 backend turns it into windows at the window's DPI
// (1440 twips to the inch); tests read it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace duskline {

enum class ControlKind { Label, Frame, TextBox, DropDownList, Button, Image, Timer, Windowless };
enum class Alignment { Left, Centre, Right };
enum class BorderStyle { Sizable, FixedSingle, FixedDialog, None };

struct Font {
  std::string name;
  double points = 8.25;
  bool bold = false;
  bool operator==(const Font&) const = default;
};

struct ControlLayout {
  std::string name;
  int index = -1;  // element of a control array, or -1
  ControlKind kind = ControlKind::Label;
  std::string container;  // name of the containing frame, empty for the form itself
  int left = 0, top = 0, width = 0, height = 0;  // twips, relative to the container
  int tabIndex = -1;                             // -1: takes no part in the tab order
  std::string text;                              // caption or text
  std::optional<Font> font;
  std::optional<uint32_t> foreColor;  // 0x00BBGGRR
  Alignment alignment = Alignment::Left;
  bool autoSize = false;
  std::vector<std::string> items;  // list items of a drop-down list
  bool enabled = true;             // for timers: enabled at design time
  int interval = 0;                // timers, milliseconds
  bool isDefault = false;          // button pressed by Enter
  bool isCancel = false;           // button pressed by Escape
  std::string picture;             // resource name of an image's picture
};

struct FormLayout {
  std::string name;
  std::string caption;
  int clientWidth = 0, clientHeight = 0;  // twips
  BorderStyle border = BorderStyle::FixedSingle;
  bool centred = false;
  bool controlBox = true;
  bool showInTaskbar = true;
  std::string icon;  // resource name of the window's icon, empty for the program's icon
  std::vector<ControlLayout> controls;

  // The control with that name (and index), or nullptr.
  const ControlLayout* Find(const std::string& controlName, int index = -1) const;
};

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
