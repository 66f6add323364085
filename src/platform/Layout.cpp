#include "platform/Layout.h"

namespace duskline {

const ControlLayout* FormLayout::Find(const std::string& controlName, int index) const {
  for (const ControlLayout& control : controls)
    if (control.name == controlName && control.index == index) return &control;
  return nullptr;
}

FormLayout BuildLayout(const FormRow& row) {
  FormLayout form;
  form.name = row.name;
  if (row.caption) form.caption = Tr(row.caption);
  form.clientWidth = row.clientWidth;
  form.clientHeight = row.clientHeight;
  form.border = row.border;
  form.centred = row.flags & kFormCentred;
  form.controlBox = !(row.flags & kNoControlBox);
  form.showInTaskbar = !(row.flags & kNotInTaskbar);
  form.alert = row.flags & kFormAlert;
  if (row.icon) form.icon = row.icon;
  form.controls.resize(row.controls.size());
  for (size_t i = 0; i < row.controls.size(); ++i) {
    const ControlRow& r = row.controls[i];
    ControlLayout& control = form.controls[i];
    control.name = r.name;
    control.index = r.index;
    control.kind = r.kind;
    if (r.container >= 0) control.container = row.controls[r.container].name;
    control.tabIndex = r.tabIndex;
    control.left = r.left;
    control.top = r.top;
    control.width = r.width;
    control.height = r.height;
    control.interval = r.interval;
    control.enabled = !(r.flags & kTimerOff);
    if (r.text && r.flags & kPicture) control.picture = r.text;
    if (r.text && !(r.flags & kPicture)) control.text = Tr(r.text);
    if (r.font) {
      const FontRow& font = row.fonts[r.font - 1];
      control.font = Font{font.name, font.points, font.bold};
    }
    if (r.flags & kRedText) control.foreColor = 0x0000FF;
    if (r.flags & kCentred) control.alignment = Alignment::Centre;
    control.autoSize = r.flags & kAutoSize;
    control.isDefault = r.flags & kDefault;
    control.isCancel = r.flags & kCancel;
    control.pressed = r.flags & kPressed;
  }
  return form;
}

const ControlLayout* LabelFor(const FormLayout& form, const ControlLayout& control) {
  if (control.kind != ControlKind::TextBox && control.kind != ControlKind::DropDownList)
    return nullptr;
  const auto place = static_cast<size_t>(&control - form.controls.data());
  if (place == 0 || place >= form.controls.size()) return nullptr;
  const ControlLayout& before = form.controls[place - 1];
  return before.kind == ControlKind::Label && before.container == control.container ? &before
                                                                                    : nullptr;
}

}  // namespace duskline
