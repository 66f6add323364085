#include "platform/LayoutForm.h"

#include <type_traits>

#include "platform/Runtime.h"

namespace duskline {
namespace {

// Whether the control made for that kind offers the interface T: the cast without run-time
// type information, which the Windows program is built without.
template <typename T>
constexpr bool Implements(ControlKind kind) {
  if constexpr (std::is_same_v<T, TextBox>) return kind == ControlKind::TextBox;
  if constexpr (std::is_same_v<T, DropDownList>) return kind == ControlKind::DropDownList;
  if constexpr (std::is_same_v<T, Label>) return kind == ControlKind::Label;
  if constexpr (std::is_same_v<T, Toggle>) return kind == ControlKind::Toggle;
  return std::is_same_v<T, Control>;
}

}  // namespace

template <typename T>
T& LayoutForm::Named(const std::string& name, int index, const char* kind) const {
  ControlKind made = ControlKind::Windowless;
  Control* control = FindControl(name, index, made);
  if (control && Implements<T>(made)) return static_cast<T&>(*control);
  throw RuntimeError(kErrPropertyMissing,
                     "The form " + Layout().name + " has no " + kind + " " + name);
}

TextBox& LayoutForm::TextBoxNamed(const std::string& name) {
  return Named<TextBox>(name, -1, "text box");
}

DropDownList& LayoutForm::DropDownListNamed(const std::string& name) {
  return Named<DropDownList>(name, -1, "drop-down list");
}

Label& LayoutForm::LabelNamed(const std::string& name, int index) {
  return Named<Label>(name, index, "label");
}

Toggle& LayoutForm::ToggleNamed(const std::string& name, int index) {
  return Named<Toggle>(name, index, "toggle");
}

Control& LayoutForm::ControlNamed(const std::string& name, int index) {
  return Named<Control>(name, index, "control");
}

Timer& LayoutForm::TimerNamed(const std::string& name) {
  if (Timer* timer = FindTimer(name)) return *timer;
  throw RuntimeError(kErrPropertyMissing, "The form " + Layout().name + " has no timer " + name);
}

void LayoutTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Apply();
}

void LayoutTimer::SetInterval(int milliseconds) {
  if (milliseconds < 0 || milliseconds > 65535) Raise(kErrInvalidPropertyValue);
  interval_ = milliseconds;
  Apply();
}

}  // namespace duskline
