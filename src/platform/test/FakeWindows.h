// A window system for tests: forms built from their layouts whose controls remember what the
// program did to them, timers driven by the fake clock, and user actions (typing, picking,
// focus, clicks, keys) that raise the events a real window would.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/test/FakeFailures.h"
#include "platform/Controls.h"
#include "platform/System.h"

namespace duskline::fakes {

class FakeWindowSystem;

// A user action the window would not allow (hidden form, disabled or hidden control).
class NotReachable : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class FakeTimer;

// The local clock, moved only by the test. Timers are due on their own millisecond count, so
// setting the wall time does not make them fire.
class FakeClock : public Clock {
 public:
  FakeClock();
  LocalTime Now() const override;
  void Set(const LocalTime& now);
  void SetTime(int hour, int minute, int second = 0);

  // Moves the time on, firing each due timer at its due time, earliest first (ties in the
  // order the timers were created).
  void AdvanceMilliseconds(int64_t milliseconds);
  void AdvanceSeconds(int64_t seconds) { AdvanceMilliseconds(seconds * 1000); }
  void AdvanceMinutes(int64_t minutes) { AdvanceMilliseconds(minutes * 60000); }
  // Moves on until the wall clock shows this time of day (today or the next day).
  void AdvanceTo(int hour, int minute, int second = 0);

  int64_t Milliseconds() const { return elapsed_; }

  // Runs after every timer event (the window system destroys unloaded forms then).
  std::function<void()> afterEvent;

 private:
  friend class FakeTimer;
  void Add(FakeTimer* timer);
  void Remove(FakeTimer* timer);

  int64_t start_ = 0;    // milliseconds since 1970 at elapsed 0
  int64_t elapsed_ = 0;  // milliseconds the timers have seen
  std::vector<FakeTimer*> timers_;
  uint64_t nextSerial_ = 0;
};

class FakeTimer : public Timer {
 public:
  FakeTimer(FakeClock& clock, bool enabled, int interval);
  ~FakeTimer() override;
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;
  int Interval() const override { return interval_; }
  void SetInterval(int milliseconds) override;

  // Whether the timer is running: enabled with an interval above 0.
  bool Running() const { return enabled_ && interval_ > 0; }
  int64_t Due() const { return due_; }
  uint64_t Serial() const { return serial_; }

  FailurePlan failures;  // "Enabled", "Interval"

 private:
  friend class FakeClock;
  FakeClock& clock_;
  bool enabled_;
  int interval_;
  int64_t due_ = 0;
  uint64_t serial_ = 0;
};

// The common part of the fake controls: enabled and visible, and the container they sit in.
template <typename Base>
class FakeControlOf : public Base {
 public:
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override {
    failures.Check("Enabled");
    enabled_ = enabled;
  }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override {
    failures.Check("Visible");
    visible_ = visible;
  }

  FailurePlan failures;  // "Enabled", "Visible" and the kind's own operations

 private:
  bool enabled_ = true;
  bool visible_ = true;
};

class FakeButton : public FakeControlOf<Control> {};

class FakeTextBox : public FakeControlOf<TextBox> {
 public:
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override;

 private:
  std::string text_;
};

class FakeDropDownList : public FakeControlOf<DropDownList> {
 public:
  explicit FakeDropDownList(std::vector<std::string> items) : items_(std::move(items)) {}
  int ListCount() const override { return static_cast<int>(items_.size()); }
  std::string List(int index) const override;
  int16_t ListIndex() const override { return index_; }
  void SetListIndex(int index) override;
  // The selected item's text, or "" without a selection.
  std::string Text() const { return index_ < 0 ? std::string() : items_[index_]; }

 private:
  std::vector<std::string> items_;
  int16_t index_ = -1;
};

class FakeLabel : public FakeControlOf<Label> {
 public:
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }

 private:
  std::string caption_;
};

class FakeForm : public Form {
 public:
  FakeForm(FakeWindowSystem& system, const FormLayout& layout, WindowHandle handle);
  ~FakeForm() override;

  const FormLayout& Layout() const override { return layout_; }
  void Show() override;
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  WindowHandle Handle() const override { return handle_; }

  TextBox& TextBoxNamed(const std::string& name) override;
  DropDownList& DropDownListNamed(const std::string& name) override;
  Label& LabelNamed(const std::string& name, int index = -1) override;
  Control& ControlNamed(const std::string& name, int index = -1) override;
  Timer& TimerNamed(const std::string& name) override;

  FakeTextBox& FakeTextBoxNamed(const std::string& name);
  FakeDropDownList& FakeDropDownListNamed(const std::string& name);
  FakeTimer& FakeTimerNamed(const std::string& name);

  int ShowCount() const { return showCount_; }
  // The control that has the focus: its name, or "" for none.
  const std::string& Focused() const { return focused_; }

  // User actions. Each fails with NotReachable when the form is hidden or the control is
  // disabled or hidden (itself or its frame).
  // Types the text one character at a time, as keystrokes, after giving the box the focus.
  void Type(const std::string& name, const std::string& text);
  // Replaces the whole text at once (a paste over a selection).
  void Paste(const std::string& name, const std::string& text);
  void Pick(const std::string& name, int index);
  void Focus(const std::string& name);
  // A click on a control: buttons take the focus first, labels, frames and images do not.
  void ClickOn(const std::string& name, int index = -1);
  void ClickForm();
  // A key that produces a character: Enter presses the default button, Escape the cancel
  // button; any other goes to KeyPress.
  void PressKey(int code);
  void CloseByUser();

 private:
  struct Entry {
    const ControlLayout* layout;
    std::unique_ptr<Control> control;  // null for timers and windowless controls
    std::unique_ptr<FakeTimer> timer;
  };
  Entry& Find(const std::string& name, int index);
  Entry& Reachable(const std::string& name, int index);
  void MoveFocus(const std::string& name);
  void Settle();

  FakeWindowSystem& system_;
  FormLayout layout_;
  WindowHandle handle_;
  std::map<std::pair<std::string, int>, Entry> entries_;
  bool visible_ = false;
  int showCount_ = 0;
  std::string focused_;
};

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  bool operator==(const MessageBoxRecord&) const = default;
};

class FakeWindowSystem : public WindowSystem {
 public:
  explicit FakeWindowSystem(FakeClock& clock) : clock_(clock) {}
  ~FakeWindowSystem() override;

  std::unique_ptr<Form> CreateForm(const FormLayout& layout) override;
  void DestroyLater(std::unique_ptr<Form> form) override;
  void MessageBox(const std::string& text, const std::string& caption) override;

  // The loaded form of that name, or nullptr.
  FakeForm* Find(const std::string& name) const;
  // How many forms of that name were created.
  int Created(const std::string& name) const;
  // Destroys the forms unloaded during the last event.
  void RunPending() { pending_.clear(); }

  FakeClock& clock() { return clock_; }

  std::vector<MessageBoxRecord> messageBoxes;
  FailurePlan failures;  // "CreateForm <name>"
  // Called while a message box is open (the box is modal: the test may look around).
  std::function<void(const MessageBoxRecord&)> onMessageBox;

 private:
  friend class FakeForm;
  FakeClock& clock_;
  std::vector<FakeForm*> live_;
  std::map<std::string, int> created_;
  std::vector<std::unique_ptr<Form>> pending_;
  WindowHandle nextHandle_ = 0x1000;
};

}  // namespace duskline::fakes
