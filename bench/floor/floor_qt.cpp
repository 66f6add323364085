// The yardstick for what the Linux program costs: the plainest Qt 6 program with the same main
// window (same controls at the same size for the screen's DPI), a one-second timer, and a
// "&Hide" that puts an icon in the tray and hides the window. It does nothing else.
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace {

enum class Kind { kList, kEdit, kLabel, kButton, kFrame };

struct Child {
  Kind kind;
  const char* text;
  int left, top, width, height;  // twips, relative to the window's client area
};

// The main window's controls in tab order, frames last so that they lie below.
constexpr Child kChildren[] = {
    {Kind::kList, "", 1440, 1200, 1695, 315},
    {Kind::kEdit, "", 1440, 840, 1695, 285},
    {Kind::kLabel, "Shutdown Type", 120, 1200, 1215, 255},
    {Kind::kLabel, "Shutdown at", 120, 840, 1215, 255},
    {Kind::kLabel, "", 1635, 420, 1575, 255},
    {Kind::kButton, "&About", 1200, 1920, 855, 375},
    {Kind::kButton, "&Hide", 2160, 1920, 855, 375},
    {Kind::kButton, "&Close", 240, 1920, 855, 375},
    {Kind::kFrame, "", 0, 600, 3255, 1095},
    {Kind::kFrame, "", 0, 1680, 3255, 735},
};
constexpr int kClientWidth = 3255, kClientHeight = 2475;

QWidget* Make(const Child& c, QWidget* window) {
  switch (c.kind) {
    case Kind::kList: {
      auto* list = new QComboBox(window);
      list->addItems({"Logoff", "Shutdown", "Power Off"});
      return list;
    }
    case Kind::kEdit:
      return new QLineEdit(window);
    case Kind::kLabel:
      return new QLabel(c.text, window);
    case Kind::kButton:
      return new QPushButton(c.text, window);
    case Kind::kFrame: {
      auto* frame = new QFrame(window);
      frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
      frame->lower();
      return frame;
    }
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Duskline floor");
  const int dpi = window.logicalDpiX();
  const auto pixels = [dpi](int twips) { return twips * dpi / 1440; };
  QSystemTrayIcon tray(window.style()->standardIcon(QStyle::SP_ComputerIcon));
  tray.setToolTip("Duskline floor");
  for (const Child& c : kChildren) {
    QWidget* child = Make(c, &window);
    child->setGeometry(pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height));
    if (auto* button = qobject_cast<QPushButton*>(child)) {
      const QString text = button->text();
      if (text == "&Hide") {
        button->setDefault(true);
        QObject::connect(button, &QPushButton::clicked, [&] {
          tray.show();
          window.hide();
        });
      } else if (text == "&Close") {
        QObject::connect(button, &QPushButton::clicked, &window, &QWidget::close);
      }
    }
  }
  QObject::connect(&tray, &QSystemTrayIcon::activated, [&] {
    tray.hide();
    window.show();
  });
  window.setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
  QTimer timer;
  timer.start(1000);
  window.show();
  return app.exec();
}
