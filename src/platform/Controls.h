// The window system as the forms see it: forms built from a layout, their controls and
// timers. Events are callback members that the form fills in; a backend raises them on the
// user-interface thread, and synchronously when the program itself changes a text or a
// selection (never from inside a window procedure, so an error can travel to the caller).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Layout.h"

namespace duskline {

using Handler = std::function<void()>;

// An opaque window handle, for the system calls that take one.
using WindowHandle = std::uintptr_t;

class Control {
 public:
  virtual ~Control() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;

  Handler Click;  // labels, frames, images, buttons and toggles
};

class TextBox : public Control {
 public:
  virtual std::string Text() const = 0;
  // Raises Change when the text differs from the current one.
  virtual void SetText(const std::string& text) = 0;

  Handler Change;     // every change of the text, by the user or the program
  Handler LostFocus;  // the focus moved from it to another control of the form
};

class DropDownList : public Control {
 public:
  virtual int ListCount() const = 0;
  virtual std::string List(int index) const = 0;
  virtual int16_t ListIndex() const = 0;
  // Raises 380 for an index outside -1..ListCount()-1, otherwise selects it and raises
  // Click when the selection is new.
  virtual void SetListIndex(int index) = 0;

  Handler LostFocus;
};

// In or out; the user's click flips it and raises Click.
class Toggle : public Control {
 public:
  virtual bool Value() const = 0;
  // Raises Click when the value differs from the current one.
  virtual void SetValue(bool pressed) = 0;

  Handler LostFocus;
};

class Label : public Control {
 public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual int Interval() const = 0;
  virtual void SetInterval(int milliseconds) = 0;
  // How much later than its interval a tick may come, never earlier, so that the system can
  // serve it together with other wake-ups; 0 (the start) keeps the system's usual timer.
  virtual void SetSlack(int milliseconds) = 0;

  Handler Tick;  // the Timer event
};

// What a screen reader is told of an alert: its text, and whether the alert has just
// appeared. A newer announcement replaces one not yet spoken.
struct Announcement {
  std::string text;
  bool appearing = false;
};

// A form loaded from its layout. Controls are found by the names of the layout; asking
// for a name the layout lacks is a programming error.
class Form {
 public:
  virtual ~Form() = default;

  virtual const FormLayout& Layout() const = 0;
  virtual void Show() = 0;  // modeless; a shown form stays shown
  virtual void Hide() = 0;
  // To the taskbar, and hidden as far as the program is concerned until shown again: where
  // there is no notification area, hiding would leave no way back.
  virtual void Minimize() = 0;
  virtual bool Visible() const = 0;
  virtual WindowHandle Handle() const = 0;
  virtual void Announce(const Announcement& announcement) = 0;

  virtual TextBox& TextBoxNamed(const std::string& name) = 0;
  virtual DropDownList& DropDownListNamed(const std::string& name) = 0;
  virtual Label& LabelNamed(const std::string& name, int index = -1) = 0;
  virtual Toggle& ToggleNamed(const std::string& name, int index = -1) = 0;
  // Buttons, frames and images: the common part is all the forms use of them.
  virtual Control& ControlNamed(const std::string& name, int index = -1) = 0;
  virtual Timer& TimerNamed(const std::string& name) = 0;

  Handler Click;                      // a click on the bare form
  std::function<void(int)> KeyPress;  // a key that produces a character
  Handler QueryUnload;                // the user closed the window (close box, Alt+F4)
  Handler SystemResumed;              // the computer woke from sleep or hibernation
  Handler ClockChanged;               // the system's clock was set or its time zone changed
};

// Creates forms and shows message boxes.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // Loads a form (hidden) from its layout.
  virtual std::unique_ptr<Form> CreateForm(const FormLayout& layout) = 0;
  // Destroys an unloaded form once the event that unloaded it has returned.
  virtual void DestroyLater(std::unique_ptr<Form> form) = 0;
  // A modal message box with an OK button only and no icon.
  virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
};

}  // namespace duskline
