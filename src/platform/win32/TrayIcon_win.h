// The tray-icon control for Win32: owns a hidden window and its NOTIFYICONDATAW, puts the icon
// back when Explorer restarts, animates it with a named timer and raises IconActivate on the
// thread that created it.
#pragma once

#include <windows.h>

#include <shellapi.h>  // needs windows.h first

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Pictures.h"
#include "platform/Tray.h"

namespace duskline::win32 {

class TrayIconWindow : public TrayIcon {
 public:
  using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;

  static constexpr UINT kCallbackMessage = WM_APP + 1;
  static constexpr UINT kIconId = 1;
  static constexpr UINT_PTR kTimerAnimation = 200;

  // The shell call is a parameter so that a test can record what reaches the shell.
  explicit TrayIconWindow(HINSTANCE instance, ShellNotify notify = ::Shell_NotifyIconW);
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
  // Explorer's notification area; an add it refuses is tried again.
  bool Available() const override { return true; }
  void ShowNotification(const std::string& title, const std::string& text) override;

  const TrayAnimation& Animation() const { return animation_; }
  bool IconShown() const { return shown_; }
  // The window, made on first need.
  HWND Window();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCallback(LPARAM lParam);
  void OnTimer();
  void Notify(DWORD message);
  void ShowIcon();
  void RefreshPicture();
  HICON IconFor(TrayPicture picture);

  HINSTANCE instance_;
  ShellNotify notify_;
  HWND window_ = nullptr;
  UINT taskbarCreated_ = 0;
  NOTIFYICONDATAW data_{};
  TrayAnimation animation_;
  std::array<HICON, kTrayPictureCount> icons_{};
  bool shown_ = false;  // the program wants the icon in the notification area
  bool added_ = false;  // the shell accepted the last add
  bool version4_ = false;
};

}  // namespace duskline::win32
