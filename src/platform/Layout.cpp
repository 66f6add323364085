#include "platform/Layout.h"

namespace duskline {

const ControlLayout* FormLayout::Find(const std::string& controlName, int index) const {
  for (const ControlLayout& control : controls)
    if (control.name == controlName && control.index == index) return &control;
  return nullptr;
}

}  // namespace duskline
