// The part of a form that every backend shares: its controls found by the layout's names,
// each as the interface its kind offers.
#pragma once

#include "platform/Controls.h"

namespace duskline {

class LayoutForm : public Form {
 public:
  TextBox& TextBoxNamed(const std::string& name) override;
  DropDownList& DropDownListNamed(const std::string& name) override;
  Label& LabelNamed(const std::string& name, int index = -1) override;
  Toggle& ToggleNamed(const std::string& name, int index = -1) override;
  Control& ControlNamed(const std::string& name, int index = -1) override;
  Timer& TimerNamed(const std::string& name) override;

 protected:
  // The control of that name and element and the kind it was made for, or nullptr.
  virtual Control* FindControl(const std::string& name, int index, ControlKind& kind) const = 0;
  virtual Timer* FindTimer(const std::string& name) const = 0;

 private:
  template <typename T>
  T& Named(const std::string& name, int index, const char* kind) const;
};

}  // namespace duskline
