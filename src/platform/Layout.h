// A form's layout as data: the Win32 backend turns it into windows at the window's DPI
// (1440 twips to the inch); tests read it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Language.h"

namespace duskline {

// One byte each, so that the layout tables stay small.
enum class ControlKind : uint8_t {
  Label,
  Frame,
  TextBox,
  DropDownList,
  Button,
  Toggle,  // a check box drawn as a push button that stays in or out
  Image,
  Timer,
  Windowless
};
enum class Alignment { Left, Centre, Right };
enum class BorderStyle : uint8_t { Sizable, FixedSingle, FixedDialog, None };

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
  bool pressed = false;            // toggles: in at design time
  std::string picture;             // name of the picture an image shows
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
  // A warning that appears by itself: it takes no focus from what the user is typing, and
  // screen readers are told of it as an alert.
  bool alert = false;
  std::vector<ControlLayout> controls;

  // The control with that name (and index), or nullptr.
  const ControlLayout* Find(const std::string& controlName, int index = -1) const;
};

// A form described as a constant table, turned into its FormLayout by BuildLayout: one
// piece of code builds every form, and the tables cost far less than code that fills in
// each control. Texts known only at run time are filled in after BuildLayout.
struct FontRow {
  const char* name;
  float points;  // the sizes in use are quarters of a point, exact in a float
  bool bold;
};

enum ControlFlags : uint8_t {
  kAutoSize = 1,
  kCentred = 2,    // alignment centre
  kDefault = 4,    // button pressed by Enter
  kCancel = 8,     // button pressed by Escape
  kTimerOff = 16,  // timer disabled at design time
  kRedText = 32,   // fore colour red
  kPicture = 64,   // images: the text names the picture
  kPressed = 128,  // toggles: in at design time
};

struct ControlRow {
  const char* name;
  const char* text;                  // nullptr: none
  int16_t left, top, width, height;  // twips
  ControlKind kind;
  int8_t container;  // row of the containing frame, -1 for the form itself
  int8_t tabIndex;
  int8_t index;
  uint8_t font;  // 1 + row of the form's font table, 0 for the default font
  uint8_t flags;
  int16_t interval = 0;  // timers, milliseconds
};

enum FormFlags : uint8_t {
  kFormCentred = 1,
  kNoControlBox = 2,
  kNotInTaskbar = 4,
  kFormAlert = 8,
};

struct FormRow {
  const char* name;
  const char* caption = nullptr;
  const char* icon = nullptr;                 // nullptr: the program's icon
  int16_t clientWidth = 0, clientHeight = 0;  // twips
  BorderStyle border = BorderStyle::FixedSingle;
  uint8_t flags = 0;
  std::span<const ControlRow> controls = {};
  std::span<const FontRow> fonts = {};
};

// Captions and control texts are translated into the current language.
FormLayout BuildLayout(const FormRow& form);

// A form's layout in the current language, built on its first use in that language.
template <FormLayout (*Build)()>
const FormLayout& LayoutInLanguage() {
  static std::array<std::optional<FormLayout>, kLanguageCount> built;
  std::optional<FormLayout>& layout = built[static_cast<int>(CurrentLanguage())];
  if (!layout) layout = Build();
  return *layout;
}

// The label that names a text box or a list, which have no caption of their own: the label
// right before it in the layout, in the same container. Screen readers take it as the
// control's name, and its mnemonic moves the focus to the control. Nullptr where there is none.
const ControlLayout* LabelFor(const FormLayout& form, const ControlLayout& control);

}  // namespace duskline
