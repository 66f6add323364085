// The Qt tray icon on Qt's offscreen platform, off any session bus.
#include <gtest/gtest.h>

#include <QTest>
#include <set>
#include <stdexcept>

#include "platform/qt/TrayIcon_qt.h"

namespace duskline::qt {
namespace {

// Only a click or a double click on the shown icon activates it, and a handler's error stays
// in the icon. The schedule check writes the properties on every tick, here every 80 ms: a
// 100 ms pace keeps its steps all the same (a timer restarted by each write never fired), and
// each step shows the other picture.
TEST(QtTrayIcon, AClickOnTheShownIconActivatesItAndTheStepsKeepTheirPace) {
  QtTrayIcon tray;
  int activations = 0;
  tray.IconActivate = [&] { ++activations; };
  tray.AddIcon();
  QSystemTrayIcon& icon = tray.Icon();
  for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                      QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick})
    Q_EMIT icon.activated(reason);
  tray.RemoveIcon();
  Q_EMIT icon.activated(QSystemTrayIcon::Trigger);
  EXPECT_EQ(activations, 2);
  tray.AddIcon();
  tray.IconActivate = [] { throw std::runtime_error("handler"); };
  EXPECT_NO_THROW(Q_EMIT icon.activated(QSystemTrayIcon::Trigger));

  std::set<qint64> pictures;
  QTimer ticks;
  ticks.callOnTimeout([&] {
    tray.SetAnimationInterval(100);
    tray.SetAnimationMode(3);
    if (!tray.Animating()) tray.ToggleAnimation();
    pictures.insert(icon.icon().cacheKey());
  });
  ticks.start(80);
  QTest::qWait(1000);
  EXPECT_GE(tray.Animation().frame, 5u);
  EXPECT_EQ(pictures.size(), 2u);
}

}  // namespace
}  // namespace duskline::qt
