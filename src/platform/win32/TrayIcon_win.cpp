#include "platform/win32/TrayIcon_win.h"

#include "platform/win32/Controls_win.h"

namespace duskline::win32 {

TrayIconWindow::TrayIconWindow(HINSTANCE instance) : instance_(instance) {}
TrayIconWindow::~TrayIconWindow() = default;

void TrayIconWindow::SetAnimationInterval(int16_t) {}
void TrayIconWindow::SetIconCode(int32_t) {}
void TrayIconWindow::SetTipText(const std::string&) {}
void TrayIconWindow::SetAnimationMode(int16_t) {}
bool TrayIconWindow::Animating() const {
  return false;
}
void TrayIconWindow::RemoveIcon() {}
void TrayIconWindow::ToggleAnimation() {}
void TrayIconWindow::AddIcon() {}

std::unique_ptr<TrayIcon> CreateTrayIcon(HINSTANCE instance) {
  return std::make_unique<TrayIconWindow>(instance);
}

}  // namespace duskline::win32
