// The window system on Qt: forms, deferred destruction, message boxes and the event loop.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/Events.h"

namespace duskline::qt {

class QtForm;

// Needs the QApplication made first.
class QtWindowSystem : public WindowSystem {
 public:
  QtWindowSystem() = default;
  ~QtWindowSystem() override;
  QtWindowSystem(const QtWindowSystem&) = delete;
  QtWindowSystem& operator=(const QtWindowSystem&) = delete;

  std::unique_ptr<Form> CreateForm(const FormLayout& layout) override;
  void DestroyLater(std::unique_ptr<Form> form) override;
  void MessageBox(const std::string& text, const std::string& caption) override;

  // Receives what escapes an event handler into Qt's event loop.
  void SetLastResort(LastResort lastResort) { lastResort_ = std::move(lastResort); }
  // Raise SystemResumed or ClockChanged on every form; called on the user-interface thread.
  void RaiseSystemResumed() { RaiseOnEveryForm(&Form::SystemResumed); }
  void RaiseClockChanged() { RaiseOnEveryForm(&Form::ClockChanged); }
  // The event loop; returns its exit code.
  int Run();

 private:
  void RaiseOnEveryForm(Handler Form::*event);

  LastResort lastResort_;
  std::vector<QtForm*> live_;
  std::vector<std::unique_ptr<Form>> doomed_;
  QObject host_;  // the context of the deferred destructions
};

}  // namespace duskline::qt
