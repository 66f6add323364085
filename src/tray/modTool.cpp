#include "tray/modTool.h"

#include <string>

namespace duskline {

namespace {

constexpr std::intptr_t kHwndTopmost = -1;
constexpr std::intptr_t kHwndNoTopmost = -2;
constexpr uint32_t kSwpNoSize = 1;
constexpr uint32_t kSwpNoMove = 2;

}  // namespace

void FormOnTop(Platform& platform, Form& form, int16_t onTop) {
  try {
    const WindowHandle handle = form.Handle();
    platform.api.SetWindowPos(handle, onTop != 0 ? kHwndTopmost : kHwndNoTopmost, 0, 0, 0, 0,
                              kSwpNoSize | kSwpNoMove);
  } catch (const RuntimeError& error) {
    platform.windows.MessageBox(
        "Error: " + std::to_string(error.Number()) + ". " + error.Description(), "FormOnTop");
  }
}

}  // namespace duskline
