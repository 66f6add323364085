// The tray-icon control for Win32: owns a hidden window and its NOTIFYICONDATAW.
#pragma once

#include <windows.h>

#include "platform/Tray.h"

namespace duskline::win32 {

class TrayIconWindow : public TrayIcon {
 public:
  explicit TrayIconWindow(HINSTANCE instance);
  ~TrayIconWindow() override;
  TrayIconWindow(const TrayIconWindow&) = delete;
  TrayIconWindow& operator=(const TrayIconWindow&) = delete;

  void SetAnimationInterval(int16_t milliseconds) override;
  void SetIconCode(int32_t code) override;
  void SetTipText(const std::string& text) override;
  void SetAnimationMode(int16_t mode) override;
  bool Animating() const override;
  void RemoveIcon() override;
  void ToggleAnimation() override;
  void AddIcon() override;

 private:
  HINSTANCE instance_;
};

}  // namespace duskline::win32
