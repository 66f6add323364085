// Our tray-icon control: an icon with a tooltip in the notification area, animated on
// request, raising IconActivate when the user activates it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Controls.h"

namespace duskline {

class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  virtual void SetAnimationInterval(int16_t milliseconds) = 0;
  virtual void SetIconCode(int32_t code) = 0;  // 2 the warning picture, 99 the normal one
  virtual void SetTipText(const std::string& text) = 0;
  virtual void SetAnimationMode(int16_t mode) = 0;  // 2 slow warning, 3 urgent
  virtual bool Animating() const = 0;
  virtual void RemoveIcon() = 0;  // does nothing when the icon is not there
  // The only operation that starts or stops the animation.
  virtual void ToggleAnimation() = 0;
  virtual void AddIcon() = 0;
  // Whether the desktop has a notification area to show the icon in.
  virtual bool Available() const = 0;
  // A notification from the icon (a balloon; a toast on Windows 10 and later).
  virtual void ShowNotification(const std::string& title, const std::string& text) = 0;

  Handler IconActivate;
};

}  // namespace duskline
