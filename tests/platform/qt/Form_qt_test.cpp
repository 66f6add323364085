// The Qt forms under the user's and the program's hands, and the tray icon, on Qt's offscreen
// platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <set>
#include <stdexcept>

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "platform/PixelLayout.h"
#include "platform/qt/Form_qt.h"
#include "platform/qt/TrayIcon_qt.h"
#include "platform/qt/WindowSystem_qt.h"
#include "platform/test/Fakes.h"
#include "scheduler/Main.h"
#include "support/ShownTexts.h"

namespace duskline::qt {
namespace {

using Log = std::vector<std::string>;

TEST(QtForm, RaisesEachEventOnceFromTheUserOrTheProgramAndShieldsTheEventLoop) {
  QtWindowSystem windows;
  std::vector<int> lastResort;
  windows.SetLastResort([&](const RuntimeError& error) { lastResort.push_back(error.Number()); });
  std::unique_ptr<Form> form = windows.CreateForm(MainLayout());
  auto& main = static_cast<QtForm&>(*form);
  Log log;
  auto note = [&](const char* text) { return [&log, text] { log.push_back(text); }; };

  TextBox& time = form->TextBoxNamed("txtTime");
  DropDownList& type = form->DropDownListNamed("cmbType");
  Toggle& monday = form->ToggleNamed("chkDay", 0);
  time.Change = note("Change");
  time.LostFocus = note("LostFocus");
  type.Click = note("type");
  monday.Click = note("day");
  form->ControlNamed("cmdClose").Click = note("Close");
  form->ControlNamed("cmdHide").Click = [] { throw RuntimeError(5); };
  form->QueryUnload = note("QueryUnload");
  form->SystemResumed = note("Resumed");

  // The program's changes: synchronous, and only when something changes (the second time not).
  EXPECT_EQ(type.ListIndex(), -1);
  EXPECT_TRUE(monday.Value());
  for (int times = 0; times < 2; ++times) {
    time.SetText("22:30");
    type.SetListIndex(2);
    monday.SetValue(false);
  }
  EXPECT_EQ(log, (Log{"Change", "type", "day"}));
  EXPECT_EQ(fakes::ErrorOf([&] { type.SetListIndex(type.ListCount()); }), 380);
  EXPECT_THROW(form->TimerNamed("tmrCheck").SetInterval(65536), RuntimeError);
  EXPECT_THROW(form->LabelNamed("txtTime"), RuntimeError);

  // The user's: typing, a click, Enter (the default button, whose error goes to the last
  // resort), Escape (the cancel button), the focus moving on, the close box.
  log.clear();
  form->Show();
  QApplication::setActiveWindow(main.Window());
  main.Widget("txtTime")->setFocus();
  QTest::keyClick(main.Widget("txtTime"), Qt::Key_1);
  QTest::mouseClick(main.Widget("chkDay", 0), Qt::LeftButton);
  QTest::keyClick(main.Widget("txtTime"), Qt::Key_Return);
  QTest::keyClick(main.Widget("txtTime"), Qt::Key_Escape);
  main.Widget("cmbType")->setFocus();
  QApplication::processEvents();
  main.Window()->close();
  windows.RaiseSystemResumed();
  EXPECT_EQ(log, (Log{"Change", "day", "Close", "LostFocus", "QueryUnload", "Resumed"}));
  EXPECT_EQ(time.Text(), "22:301");
  EXPECT_TRUE(monday.Value());
  EXPECT_EQ(lastResort, std::vector<int>{5});

  // Minimised is not visible; Show brings it back.
  EXPECT_TRUE(form->Visible());
  form->Minimize();
  EXPECT_FALSE(form->Visible());
  form->Show();
  EXPECT_TRUE(form->Visible());

  // A form without controls that take the focus hears the keys; a form destroyed later goes
  // once the event loop runs.
  std::unique_ptr<Form> splash = windows.CreateForm(SplashLayout());
  std::vector<int> keys;
  splash->KeyPress = [&](int key) { keys.push_back(key); };
  QTest::keyClick(static_cast<QtForm&>(*splash).Window(), Qt::Key_X);
  EXPECT_EQ(keys, std::vector<int>{'x'});
  QPointer<QWidget> gone = static_cast<QtForm&>(*splash).Window();
  windows.DestroyLater(std::move(splash));
  EXPECT_TRUE(gone);
  QApplication::processEvents();
  EXPECT_FALSE(gone);
}

// Each text of a label, wrapped as the label wraps it, of a button and of a list fits its
// box at 96 and 144 dpi, in English and in German.
TEST(QtForm, EveryTextFitsItsBox) {
  QtWindowSystem windows;
  for (const Language language : {Language::kEnglish, Language::kGerman}) {
    SetLanguage(language);
    for (const FormLayout* layout : {&MainLayout(), &AttentionLayout(), &SplashLayout()}) {
      std::unique_ptr<Form> form = windows.CreateForm(*layout);
      const auto& shown = static_cast<QtForm&>(*form);
      for (const ControlLayout& control : layout->controls)
        for (const int dpi : {96, 144}) {
          if (control.kind > ControlKind::Toggle || control.autoSize) break;
          QFont font = shown.Widget(control.name, control.index)->font();
          font.setPointSizeF(font.pointSizeF() * dpi / shown.Window()->logicalDpiY());
          PixelRect box = ControlPixels(*layout, control, dpi);
          // A button's frame and a list's arrow take their room.
          const bool label = control.kind == ControlKind::Label;
          if (!label) box.width -= (control.items.empty() ? 4 : 24) * dpi / 96;
          for (const std::string& text : ShownTexts(control)) {
            const QRect needed = QFontMetrics(font).boundingRect(
                0, 0, box.width, 10 * box.height,
                (label ? Qt::TextWordWrap : 0) | Qt::TextShowMnemonic,
                QString::fromStdString(text));
            EXPECT_TRUE(needed.width() <= box.width && needed.height() <= box.height)
                << text << " at " << dpi << ": " << needed.width() << "x" << needed.height()
                << " in " << box.width << "x" << box.height;
          }
        }
    }
  }
  SetLanguage(Language::kEnglish);
}

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

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Off the machine's session bus: the tray icon asks it for a notification area.
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
