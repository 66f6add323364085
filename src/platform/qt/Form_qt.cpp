#include "platform/qt/Form_qt.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/Pictures.h"
#include "platform/PixelLayout.h"
#include "platform/Runtime.h"

namespace duskline::qt {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// A label's text as a screen reader says it: "&When" is "When", "&&" one ampersand.
QString WithoutMnemonic(const std::string& text) {
  const QString marked = Q(text);
  QString plain;
  for (qsizetype i = 0; i < marked.size(); ++i) {
    if (marked[i] == u'&' && i + 1 < marked.size()) ++i;
    plain += marked[i];
  }
  return plain;
}

// A family the desktop lacks (the layouts name Windows fonts) becomes one with Arial's widths,
// which the layouts' texts were measured with, where there is one; else the desktop's own.
QString FamilyFor(const std::string& name) {
  if (QFontDatabase::hasFamily(Q(name))) return Q(name);
  static const QString standIn = [] {
    for (const char* family : {"Liberation Sans", "Arimo", "Arial"})
      if (QFontDatabase::hasFamily(QString::fromLatin1(family))) return QString::fromLatin1(family);
    return QApplication::font().family();
  }();
  return standIn;
}

// The layout's font, or the layouts' default one, at the screen's logical DPI (Qt turns points
// into pixels with it, as the positions are turned from twips).
QFont LayoutFont(const std::optional<Font>& font) {
  const Font wanted = font.value_or(Font{"MS Sans Serif"});
  QFont result(FamilyFor(wanted.name));
  result.setPointSizeF(wanted.points);
  result.setBold(wanted.bold);
  return result;
}

Qt::Alignment AlignmentOf(Alignment alignment) {
  switch (alignment) {
    case Alignment::Centre:
      return Qt::AlignHCenter | Qt::AlignTop;
    case Alignment::Right:
      return Qt::AlignRight | Qt::AlignTop;
    case Alignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignTop;
}

// The picture an image shows: the one there is, the logo, is drawn. Its name matches as a
// resource name would, in any case.
QPixmap PictureNamed(const std::string& name) {
  if (Q(name).compare(QStringLiteral("logo"), Qt::CaseInsensitive) != 0) return {};
  const Picture logo = DrawLogo();
  // A copy of its own: a pixmap may keep using the pixels of the image it was made from.
  return QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(logo.pixels.data()), logo.width,
                                   logo.height, logo.width * 4, QImage::Format_ARGB32)
                                .copy());
}

// The interface's common part on a widget.
template <typename Widget, typename Interface>
class Widgeted : public Widget, public Interface {
 public:
  Widgeted(const QtForm& form, QWidget* parent) : Widget(parent), form_(form) {}
  bool Enabled() const override { return this->isEnabled(); }
  void SetEnabled(bool enabled) override { this->setEnabled(enabled); }
  bool Visible() const override { return !this->isHidden(); }
  void SetVisible(bool visible) override { this->setVisible(visible); }

 protected:
  const QtForm& form_;
};

// Labels, frames and images: a press and a release of the left button over it is a Click.
template <typename Widget, typename Interface>
class Clickable : public Widgeted<Widget, Interface> {
 public:
  using Widgeted<Widget, Interface>::Widgeted;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    down_ = event->button() == Qt::LeftButton;
    event->accept();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool click = down_ && event->button() == Qt::LeftButton &&
                       this->rect().contains(event->position().toPoint());
    down_ = false;
    event->accept();
    if (click) this->form_.Raise(this->Click);
  }

 private:
  bool down_ = false;
};

class LabelControl : public Clickable<QLabel, Label> {
 public:
  LabelControl(const QtForm& form, QWidget* parent, const ControlLayout& layout)
      : Clickable(form, parent), autoSize_(layout.autoSize) {
    setTextFormat(Qt::PlainText);
    setAlignment(AlignmentOf(layout.alignment));
    setWordWrap(!autoSize_);
  }
  std::string Caption() const override { return text().toStdString(); }
  void SetCaption(const std::string& caption) override {
    setText(Q(caption));
    Fit();
  }
  // A label that sizes itself: as wide and as high as its text on one line, its place kept.
  void Fit() {
    if (!autoSize_) return;
    const QSize size = fontMetrics().size(0, text().isEmpty() ? QStringLiteral(" ") : text());
    resize(text().isEmpty() ? 0 : size.width(), size.height());
  }

 private:
  bool autoSize_;
};

class TextBoxControl : public Widgeted<QLineEdit, TextBox> {
 public:
  TextBoxControl(const QtForm& form, QWidget* parent) : Widgeted(form, parent) {
    connect(this, &QLineEdit::textChanged, this, [this] {
      if (!setting_) form_.Raise(Change);
    });
  }
  std::string Text() const override { return text().toStdString(); }
  void SetText(const std::string& text) override {
    const QString wanted = Q(text);
    if (wanted == this->text()) return;
    {
      Suppress quiet(setting_);
      setText(wanted);
    }
    Fire(Change);
  }

 private:
  bool setting_ = false;
};

class DropDownListControl : public Widgeted<QComboBox, DropDownList> {
 public:
  DropDownListControl(const QtForm& form, QWidget* parent, const ControlLayout& layout)
      : Widgeted(form, parent) {
    for (const std::string& item : layout.items) addItem(Q(item));
    setCurrentIndex(-1);  // nothing chosen until the program or the user chooses
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
      if (!setting_) form_.Raise(Click);
    });
  }
  int ListCount() const override { return count(); }
  std::string List(int index) const override { return itemText(index).toStdString(); }
  int16_t ListIndex() const override { return static_cast<int16_t>(currentIndex()); }
  void SetListIndex(int index) override {
    if (index < -1 || index >= ListCount()) Raise(kErrInvalidPropertyValue);
    if (index == ListIndex()) return;
    {
      Suppress quiet(setting_);
      setCurrentIndex(index);
    }
    Fire(Click);
  }

 private:
  bool setting_ = false;
};

// A push button that stays in or out; only the user's click raises Click through Qt.
class ToggleControl : public Widgeted<QPushButton, Toggle> {
 public:
  ToggleControl(const QtForm& form, QWidget* parent, const ControlLayout& layout)
      : Widgeted(form, parent) {
    setCheckable(true);
    setChecked(layout.pressed);
    // Pressed in the style's colours of a selection: a sunken button alone is hard to tell.
    setStyleSheet(QStringLiteral(
        "QPushButton:checked { background-color: palette(highlight); color: "
        "palette(highlighted-text); border: 1px solid palette(dark); border-radius: 2px; }"));
    connect(this, &QPushButton::clicked, this, [this] { form_.Raise(Click); });
  }
  bool Value() const override { return isChecked(); }
  void SetValue(bool pressed) override {
    if (pressed == isChecked()) return;
    setChecked(pressed);
    Fire(Click);
  }
};

class ButtonControl : public Widgeted<QPushButton, Control> {
 public:
  ButtonControl(const QtForm& form, QWidget* parent, const ControlLayout& layout)
      : Widgeted(form, parent) {
    setDefault(layout.isDefault);
    connect(this, &QPushButton::clicked, this, [this] { form_.Raise(Click); });
  }
};

class FrameControl : public Clickable<QFrame, Control> {
 public:
  FrameControl(const QtForm& form, QWidget* parent) : Clickable(form, parent) {
    setFrameStyle(QFrame::Box | QFrame::Sunken);  // etched, as a frame without caption
  }
};

// The picture stretched to fill the control.
class ImageControl : public Clickable<QLabel, Control> {
 public:
  ImageControl(const QtForm& form, QWidget* parent, const ControlLayout& layout)
      : Clickable(form, parent) {
    setScaledContents(true);
    setPixmap(PictureNamed(layout.picture));
  }
};

bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::TextBox || kind == ControlKind::DropDownList ||
         kind == ControlKind::Button || kind == ControlKind::Toggle;
}

Qt::WindowFlags WindowFlagsOf(const FormLayout& layout) {
  Qt::WindowFlags flags = layout.showInTaskbar ? Qt::Window : Qt::Tool;
  // A dialog frame with neither caption nor control box has no title bar.
  if (layout.border == BorderStyle::None ||
      (layout.border == BorderStyle::FixedDialog && layout.caption.empty() && !layout.controlBox))
    return flags | Qt::FramelessWindowHint;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (layout.controlBox) flags |= Qt::WindowCloseButtonHint;
  if (layout.controlBox && layout.border == BorderStyle::Sizable)
    flags |= Qt::WindowMinMaxButtonsHint;
  return flags;
}

}  // namespace

void FromEventLoop(const LastResort* lastResort, const Handler& handler) noexcept {
  try {
    Fire(handler);
  } catch (...) {
    ReportToLastResort(lastResort);
  }
}

class FormWindow : public QWidget {
 public:
  FormWindow(QtForm& form, Qt::WindowFlags flags, bool alert)
      : QWidget(nullptr, flags), form_(form), alert_(alert) {
    // What the user is typing elsewhere keeps the focus; Alt+Tab reaches the alert.
    if (alert_) setAttribute(Qt::WA_ShowWithoutActivating);
  }
  bool Alert() const { return alert_; }

 protected:
  // The close box and Alt+F4 ask the form; the window stays until the program says.
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    form_.OnClose();
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (!form_.OnKey(*event)) QWidget::keyPressEvent(event);
  }
  void mousePressEvent(QMouseEvent* event) override { down_ = event->button() == Qt::LeftButton; }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool click = down_ && event->button() == Qt::LeftButton;
    down_ = false;
    if (click) form_.Raise(form_.Click);
  }

 private:
  QtForm& form_;
  bool alert_;
  bool down_ = false;
};

namespace {

// A list named by its label and valued by its item: Qt's own names a list on Linux by its
// item, which leaves a screen reader's user to guess what the list is for.
class ListAccessible : public QAccessibleWidget {
 public:
  explicit ListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}
  QString text(QAccessible::Text kind) const override {
    const auto* list = static_cast<const QComboBox*>(widget());
    if (kind == QAccessible::Value) return list->currentText();
    if (kind == QAccessible::Name && !list->accessibleName().isEmpty())
      return list->accessibleName();
    return QAccessibleWidget::text(kind);
  }
};

// An alert's window is an alert to screen readers, not a plain window, so that they speak it
// when it appears.
QAccessibleInterface* FormAccessible(const QString&, QObject* object) {
  if (auto* list = dynamic_cast<DropDownListControl*>(object)) return new ListAccessible(list);
  auto* window = dynamic_cast<FormWindow*>(object);
  if (window == nullptr || !window->Alert()) return nullptr;
  return new QAccessibleWidget(window, QAccessible::AlertMessage);
}

}  // namespace

class QtTimer : public LayoutTimer {
 public:
  QtTimer(const QtForm& form, const ControlLayout& layout) : LayoutTimer(layout) {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, &form] {
      // A tick that disabled its timer may find another one due.
      if (Enabled()) form.Raise(Tick);
    });
    Apply();
  }

 private:
  void Run(bool running, int interval) override {
    // Qt's coarse timers come up to 5 % early, and from 20 s on they round to whole seconds,
    // earlier or later; one that may come late but never early is a precise one, which the
    // kernel's timer slack still gathers with other wake-ups.
    timer_.setTimerType(Slack() > 0 ? Qt::PreciseTimer : Qt::CoarseTimer);
    if (running)
      timer_.start(interval);
    else
      timer_.stop();
  }

  QTimer timer_;
};

QtForm::QtForm(const FormHost& host, const FormLayout& layout)
    : host_(host),
      layout_(layout),
      window_(new FormWindow(*this, WindowFlagsOf(layout), layout.alert)) {
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(FormAccessible);
    return true;
  }();
  (void)factoryInstalled;
  window_->setWindowTitle(Q(layout_.caption));
  CreateControls();
  for (const ControlLayout& control : layout_.controls)
    if (control.kind == ControlKind::Timer)
      timers_.push_back(std::make_unique<QtTimer>(*this, control));
  QObject::connect(qApp, &QApplication::focusChanged, window_,
                   [this](QWidget* from, QWidget* to) { OnFocusMoved(from, to); });
  if (host_.live) host_.live->push_back(this);
}

QtForm::~QtForm() {
  if (host_.live) std::erase(*host_.live, this);
  timers_.clear();
  // Nothing the widgets do while they go reaches the handlers any more.
  QObject::disconnect(qApp, nullptr, window_, nullptr);
  for (const Entry& entry : controls_) entry.widget->blockSignals(true);
  delete window_;
}

void QtForm::CreateControls() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
  const PixelRect client = ClientPixels(layout_, dpi);
  if (layout_.border == BorderStyle::Sizable)
    window_->resize(client.width, client.height);
  else
    window_->setFixedSize(client.width, client.height);

  // Later widgets lie above earlier ones: frames first, from the outermost in; then the other
  // controls in tab order, which is also the order Tab moves the focus in.
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& control : layout_.controls)
    if (control.kind != ControlKind::Timer && control.kind != ControlKind::Windowless)
      order.push_back(&control);
  auto rank = [this](const ControlLayout* control) {
    if (control->kind == ControlKind::Frame) return std::pair{0, ContainerDepth(layout_, *control)};
    return std::pair{control->tabIndex < 0 ? 2 : 1, control->tabIndex};
  };
  std::stable_sort(order.begin(), order.end(), [&](const ControlLayout* a, const ControlLayout* b) {
    return rank(a) < rank(b);
  });

  for (const ControlLayout* control : order) {
    // The widget belongs to the window; the form keeps its interface by the layout entry.
    auto add = [&](auto* made) { controls_.push_back({control, made, made}); };
    switch (control->kind) {
      case ControlKind::Label:
        add(new LabelControl(*this, window_, *control));
        break;
      case ControlKind::Frame:
        add(new FrameControl(*this, window_));
        break;
      case ControlKind::TextBox:
        add(new TextBoxControl(*this, window_));
        break;
      case ControlKind::DropDownList:
        add(new DropDownListControl(*this, window_, *control));
        break;
      case ControlKind::Button:
        add(new ButtonControl(*this, window_, *control));
        break;
      case ControlKind::Toggle:
        add(new ToggleControl(*this, window_, *control));
        break;
      case ControlKind::Image:
        add(new ImageControl(*this, window_, *control));
        break;
      case ControlKind::Timer:
      case ControlKind::Windowless:
        break;
    }
  }
  for (const Entry& entry : controls_) {
    const PixelRect rect = ControlPixels(layout_, *entry.layout, dpi);
    entry.widget->setGeometry(rect.left, rect.top, rect.width, rect.height);
    entry.widget->setFont(LayoutFont(entry.layout->font));
    if (entry.layout->foreColor) {
      const uint32_t colour = *entry.layout->foreColor;  // 0x00BBGGRR
      QPalette palette = entry.widget->palette();
      palette.setColor(QPalette::WindowText,
                       QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
      entry.widget->setPalette(palette);
    }
    entry.widget->setEnabled(entry.layout->enabled);
    if (entry.layout->kind == ControlKind::Label) {
      auto* label = static_cast<LabelControl*>(entry.widget);
      label->setText(Q(entry.layout->text));
      label->Fit();
    } else if (entry.layout->kind == ControlKind::TextBox) {
      static_cast<QLineEdit*>(entry.widget)->setText(Q(entry.layout->text));
    } else if (entry.layout->kind == ControlKind::Button ||
               entry.layout->kind == ControlKind::Toggle) {
      static_cast<QPushButton*>(entry.widget)->setText(Q(entry.layout->text));
    }
    if (!TakesFocus(entry.layout->kind))
      entry.widget->setFocusPolicy(Qt::NoFocus);
    else if (entry.layout->tabIndex >= 0)
      usesDialogKeys_ = true;
  }
  // A label names the control after it: its mnemonic moves the focus there (and is shown as
  // one, not as "&"), and screen readers say its text as the control's name, lists included.
  for (const Entry& entry : controls_)
    if (const ControlLayout* label = LabelFor(layout_, *entry.layout))
      if (const Entry* named = Find(label->name, label->index)) {
        static_cast<QLabel*>(named->widget)->setBuddy(entry.widget);
        entry.widget->setAccessibleName(WithoutMnemonic(label->text));
      }
}

void QtForm::Announce(const Announcement& announcement) {
  // The alert's description: screen readers hear it change, the newest replacing the last.
  window_->setAccessibleDescription(Q(announcement.text));
  if (announcement.appearing) {
    QAccessibleEvent alert(window_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
  }
}

QWidget* QtForm::Window() const {
  return window_;
}

WindowHandle QtForm::Handle() const {
  return reinterpret_cast<WindowHandle>(static_cast<QWidget*>(window_));
}

void QtForm::Show() {
  if (!shownBefore_ && layout_.centred) {
    const QScreen* screen = window_->screen();
    if (screen) {
      const QRect area = screen->availableGeometry();
      window_->move(area.x() + (area.width() - window_->width()) / 2,
                    area.y() + (area.height() - window_->height()) / 2);
    }
  }
  shownBefore_ = true;
  const bool minimised = window_->isMinimized();
  if (minimised) window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  window_->show();
  window_->raise();
  if (minimised) window_->activateWindow();
}

void QtForm::Hide() {
  window_->hide();
}

void QtForm::Minimize() {
  window_->showMinimized();
}

bool QtForm::Visible() const {
  return window_->isVisible() && !window_->isMinimized();
}

const QtForm::Entry* QtForm::Find(const std::string& name, int index) const {
  for (const Entry& entry : controls_)
    if (entry.layout->name == name && entry.layout->index == index) return &entry;
  return nullptr;
}

const QtForm::Entry* QtForm::FindWidget(const QWidget* widget) const {
  for (const Entry& entry : controls_)
    if (widget != nullptr && entry.widget == widget) return &entry;
  return nullptr;
}

QWidget* QtForm::Widget(const std::string& name, int index) const {
  const Entry* entry = Find(name, index);
  return entry ? entry->widget : nullptr;
}

Control* QtForm::FindControl(const std::string& name, int index, ControlKind& kind) const {
  const Entry* entry = Find(name, index);
  if (entry == nullptr) return nullptr;
  kind = entry->layout->kind;
  return entry->control;
}

Timer* QtForm::FindTimer(const std::string& name) const {
  for (const auto& timer : timers_)
    if (timer->Name() == name) return timer.get();
  return nullptr;
}

void QtForm::OnClose() {
  if (QueryUnload)
    Raise(QueryUnload);
  else
    Hide();
}

void QtForm::ClickButton(bool ControlLayout::*flag) {
  for (const Entry& entry : controls_)
    if (entry.layout->kind == ControlKind::Button && entry.layout->*flag) {
      static_cast<QPushButton*>(entry.widget)->click();  // nothing when disabled
      return;
    }
}

bool QtForm::OnKey(const QKeyEvent& key) {
  if (usesDialogKeys_) {
    if (key.key() == Qt::Key_Escape) {
      ClickButton(&ControlLayout::isCancel);
      return true;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
      // A focused push button takes Enter itself, as in a dialog; otherwise the default one.
      const Entry* focused = FindWidget(QApplication::focusWidget());
      if (focused && focused->layout->kind == ControlKind::Button)
        static_cast<QPushButton*>(focused->widget)->click();
      else
        ClickButton(&ControlLayout::isDefault);
      return true;
    }
    return false;
  }
  if (!KeyPress || key.text().isEmpty()) return false;
  const int code = key.text().at(0).unicode();
  Raise([this, code] { KeyPress(code); });
  return true;
}

void QtForm::OnFocusMoved(QWidget* from, QWidget* to) {
  const Entry* left = FindWidget(from);
  if (left == nullptr || to == nullptr || to->window() != window_ || from->isAncestorOf(to)) return;
  // Raised from the event loop once the focus has moved, not inside the move.
  const ControlLayout* layout = left->layout;
  QMetaObject::invokeMethod(
      window_,
      [this, layout] {
        const Entry* entry = Find(layout->name, layout->index);
        if (entry == nullptr) return;
        switch (layout->kind) {
          case ControlKind::TextBox:
            Raise(static_cast<TextBox*>(entry->control)->LostFocus);
            break;
          case ControlKind::DropDownList:
            Raise(static_cast<DropDownList*>(entry->control)->LostFocus);
            break;
          case ControlKind::Toggle:
            Raise(static_cast<Toggle*>(entry->control)->LostFocus);
            break;
          default:
            break;
        }
      },
      Qt::QueuedConnection);
}

}  // namespace duskline::qt
