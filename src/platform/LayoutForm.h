// The part of a form that every backend shares: its controls found by the layout's names,
// each as the interface its kind offers.
#pragma once

#include <string>

#include "platform/Controls.h"

namespace duskline {

class LayoutForm : public Form {
 public:
  TextBox& TextBoxNamed(const std::string& name) override;
  DropDownList& DropDownListNamed(const std::string& name) override;
  Label& LabelNamed(const std::string& name, int index = -1) override;
  Toggle& ToggleNamed(const std::string& name, int index = -1) override;
  Control& ControlNamed(const std::string& name, int index = -1) override;
  Timer& TimerNamed(const std::string& name) override;

 protected:
  // The control of that name and element and the kind it was made for, or nullptr.
  virtual Control* FindControl(const std::string& name, int index, ControlKind& kind) const = 0;
  virtual Timer* FindTimer(const std::string& name) const = 0;

 private:
  template <typename T>
  T& Named(const std::string& name, int index, const char* kind) const;
};

// A timer of a layout: its properties as the program sees them. The backend runs the system's
// timer in Run, and calls Apply once it is built.
class LayoutTimer : public Timer {
 public:
  explicit LayoutTimer(const ControlLayout& layout)
      : name_(layout.name), enabled_(layout.enabled), interval_(layout.interval) {}
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;
  int Interval() const override { return interval_; }
  // A new interval starts the count again; 0 stops the timer without disabling it.
  void SetInterval(int milliseconds) override;
  void SetSlack(int milliseconds) override { slack_ = milliseconds; }
  const std::string& Name() const { return name_; }

 protected:
  void Apply() { Run(enabled_ && interval_ > 0, interval_); }
  // Starts the system's timer afresh at that interval when running, else stops it.
  virtual void Run(bool running, int interval) = 0;
  int Slack() const { return slack_; }

 private:
  std::string name_;
  bool enabled_;
  int interval_;
  int slack_ = 0;
};

}  // namespace duskline
