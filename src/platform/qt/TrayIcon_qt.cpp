#include "platform/qt/TrayIcon_qt.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QImage>
#include <QPixmap>
#include <QVariantMap>

#include "platform/qt/Backend_qt.h"

namespace duskline::qt {
namespace {

// Nothing may unwind through Qt's event loop; the core's handlers have applied the program's
// rule already.
template <typename Fn>
void Guarded(Fn&& fn) noexcept {
  try {
    fn();
  } catch (...) {
  }
}

}  // namespace

// The icon and the pictures come with the first add or animation: a program that stays in view
// never needs them, and its window appears sooner without.
QtTrayIcon::QtTrayIcon() {
  timer_.setInterval(animation_.TimerInterval());
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    Guarded([this] {
      ++animation_.frame;
      RefreshPicture();
    });
  });
}

QtTrayIcon::~QtTrayIcon() = default;

QSystemTrayIcon& QtTrayIcon::Icon() {
  if (icon_) return *icon_;
  icon_ = std::make_unique<QSystemTrayIcon>();
  icon_->setToolTip(tip_);
  QObject::connect(
      icon_.get(), &QSystemTrayIcon::activated,
      [this](QSystemTrayIcon::ActivationReason reason) { Guarded([&] { OnActivated(reason); }); });
  return *icon_;
}

// The schedule check writes the properties on every tick: the same value again must not
// restart the timer, or a 1000 ms step restarted every second would never come.
void QtTrayIcon::SetAnimationInterval(int16_t milliseconds) {
  if (!animation_.SetInterval(milliseconds)) return;
  // A running timer restarts with the new pace at once.
  timer_.setInterval(animation_.TimerInterval());
}

void QtTrayIcon::SetIconCode(int32_t code) {
  if (animation_.SetIconCode(code)) RefreshPicture();
}

void QtTrayIcon::SetTipText(const std::string& text) {
  const QString tip = QString::fromStdString(text);
  if (tip == tip_) return;
  tip_ = tip;
  if (icon_) icon_->setToolTip(tip_);
}

void QtTrayIcon::SetAnimationMode(int16_t mode) {
  if (animation_.SetMode(mode)) RefreshPicture();
}

bool QtTrayIcon::Animating() const {
  return animation_.running;
}

void QtTrayIcon::RemoveIcon() {
  if (!shown_) return;
  shown_ = false;
  icon_->hide();
}

void QtTrayIcon::ToggleAnimation() {
  animation_.frame = 0;
  animation_.running = !animation_.running;
  if (animation_.running) {
    timer_.start();
  } else {
    timer_.stop();
  }
  RefreshPicture();
}

void QtTrayIcon::AddIcon() {
  if (shown_) return;
  shown_ = true;
  showing_ = animation_.Picture();
  Icon().setIcon(IconFor(showing_));
  // Qt puts the icon in a tray that appears later by itself.
  icon_->show();
}

bool QtTrayIcon::Available() const {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::ShowNotification(const std::string& title, const std::string& text) {
  const QString summary = QString::fromStdString(title), body = QString::fromStdString(text);
  if (shown_ && QSystemTrayIcon::isSystemTrayAvailable()) {
    icon_->showMessage(summary, body);
    return;
  }
  // Without an icon in a tray Qt shows nothing: the warning goes straight to the desktop's
  // notification service, as Qt would send it, and unanswered, so that nothing waits on it.
  QDBusMessage notify = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  notify << QCoreApplication::applicationName() << 0u << QStringLiteral("dialog-information")
         << summary << body << QStringList() << QVariantMap() << -1;
  QDBusConnection::sessionBus().send(notify);
}

void QtTrayIcon::RefreshPicture() {
  // Without the icon the picture waits for the next add, which takes the current one.
  if (!shown_ || animation_.Picture() == showing_) return;
  showing_ = animation_.Picture();
  icon_->setIcon(IconFor(showing_));
}

const QIcon& QtTrayIcon::IconFor(TrayPicture picture) {
  QIcon& icon = pictures_[static_cast<size_t>(picture)];
  if (!icon.isNull()) return icon;
  // The sizes desktops ask for: panels of 16 to 24 pixels, and twice that on dense screens.
  for (int size : {16, 22, 24, 32, 48}) {
    const Picture drawn = DrawTrayPicture(picture, size);
    icon.addPixmap(
        QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(drawn.pixels.data()), drawn.width,
                                  drawn.height, drawn.width * 4, QImage::Format_ARGB32)));
  }
  return icon;
}

void QtTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  // An activation that comes after RemoveIcon belongs to an icon that is gone.
  if (!shown_) return;
  if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick) return;
  if (IconActivate) {
    const Handler handler = IconActivate;
    handler();
  }
}

std::unique_ptr<TrayIcon> CreateTrayIcon() {
  return std::make_unique<QtTrayIcon>();
}

}  // namespace duskline::qt
