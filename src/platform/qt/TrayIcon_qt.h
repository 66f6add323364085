// The tray icon on the Linux desktop: a QSystemTrayIcon (a StatusNotifierItem, or an icon in
// an X tray) showing the drawn pictures, animated by a timer on the user-interface thread.
#pragma once

#include <QIcon>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <memory>
#include <string>

#include "platform/Pictures.h"
#include "platform/Tray.h"

namespace duskline::qt {

class QtTrayIcon : public TrayIcon {
 public:
  QtTrayIcon();
  ~QtTrayIcon() override;
  QtTrayIcon(const QtTrayIcon&) = delete;
  QtTrayIcon& operator=(const QtTrayIcon&) = delete;

  void SetAnimationInterval(int16_t milliseconds) override;
  void SetIconCode(int32_t code) override;
  void SetTipText(const std::string& text) override;
  void SetAnimationMode(int16_t mode) override;
  bool Animating() const override;
  void RemoveIcon() override;
  void ToggleAnimation() override;
  void AddIcon() override;
  bool Available() const override;
  void ShowNotification(const std::string& title, const std::string& text) override;

  const TrayAnimation& Animation() const { return animation_; }
  // The icon, made on first need.
  QSystemTrayIcon& Icon();

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);
  void RefreshPicture();
  const QIcon& IconFor(TrayPicture picture);

  std::unique_ptr<QSystemTrayIcon> icon_;
  QTimer timer_;
  TrayAnimation animation_;
  std::array<QIcon, kTrayPictureCount> pictures_;
  TrayPicture showing_ = TrayPicture::kNormal;
  QString tip_ = QStringLiteral("Duskline");
  bool shown_ = false;  // the program wants the icon in the notification area
};

}  // namespace duskline::qt
