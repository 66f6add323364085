// A form of the Qt window system: a top-level widget built from its layout, a child widget
// for each control and a QTimer for each timer. What the user does raises the events from
// Qt's event loop; the program's own SetText and SetListIndex raise them directly from the
// call, so that an error there travels to the caller.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Events.h"
#include "platform/LayoutForm.h"

class QKeyEvent;
class QWidget;

namespace duskline::qt {

class QtForm;

// What a form needs of the window system that made it.
struct FormHost {
  const LastResort* lastResort = nullptr;
  std::vector<QtForm*>* live = nullptr;  // every form not yet destroyed
};

// Runs an event from Qt's event loop: an exception never travels into Qt, it goes to the last
// resort.
void FromEventLoop(const LastResort* lastResort, const Handler& handler) noexcept;

class FormWindow;
class QtTimer;

class QtForm : public LayoutForm {
 public:
  QtForm(const FormHost& host, const FormLayout& layout);
  ~QtForm() override;
  QtForm(const QtForm&) = delete;
  QtForm& operator=(const QtForm&) = delete;

  const FormLayout& Layout() const override { return layout_; }
  void Show() override;
  void Hide() override;
  void Minimize() override;
  bool Visible() const override;
  WindowHandle Handle() const override;
  void Announce(const Announcement& announcement) override;

  QWidget* Window() const;
  // The widget of a control (for tests), or nullptr.
  QWidget* Widget(const std::string& name, int index = -1) const;
  // An event of the user's: raised from the event loop, shielded.
  void Raise(const Handler& handler) const { FromEventLoop(host_.lastResort, handler); }

  // From the top-level widget.
  void OnClose();
  // Enter, Escape and KeyPress; false for a key the form leaves alone.
  bool OnKey(const QKeyEvent& key);
  void OnFocusMoved(QWidget* from, QWidget* to);

 private:
  struct Entry {
    const ControlLayout* layout;
    QWidget* widget;
    Control* control;
  };
  void CreateControls();
  const Entry* Find(const std::string& name, int index) const;
  const Entry* FindWidget(const QWidget* widget) const;
  void ClickButton(bool ControlLayout::*flag);
  Control* FindControl(const std::string& name, int index, ControlKind& kind) const override;
  Timer* FindTimer(const std::string& name) const override;

  FormHost host_;
  const FormLayout& layout_;
  FormWindow* window_;  // owns the controls' widgets
  std::vector<Entry> controls_;
  std::vector<std::unique_ptr<QtTimer>> timers_;
  bool usesDialogKeys_ = false;  // a control takes the focus: Tab, Enter and Escape are ours
  bool shownBefore_ = false;
};

}  // namespace duskline::qt
