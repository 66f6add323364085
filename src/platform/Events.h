// The one event dispatcher. Every event handler runs through it, so no run-time error ever
// leaves a window procedure, a timer callback or the service thread: an error that leaves a
// handler raised by the message loop gets the program's rule for unhandled errors (the
// standard report, then the end); an error that leaves a handler the program raised itself
// (by setting a text, say) travels on to that caller, whose trap may take it.
#pragma once

#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/Runtime.h"

namespace duskline {

// "Run-time error '<number>':" a blank line, then the description.
std::string StandardErrorText(const RuntimeError& error);

// Runs a handler that is set.
inline void Fire(const Handler& handler) {
  if (handler) handler();
}

// Sets a flag for a scope and clears it when the scope ends, also by an exception: a backend
// changing a control itself keeps the control's notification from raising the event twice.
class Suppress {
 public:
  explicit Suppress(bool& flag) : flag_(flag) { flag_ = true; }
  ~Suppress() { flag_ = false; }
  Suppress(const Suppress&) = delete;
  Suppress& operator=(const Suppress&) = delete;

 private:
  bool& flag_;
};

// Where a backend reports an exception that reached its event loop.
using LastResort = std::function<void(const RuntimeError&)>;

// Turns the exception being handled into the report of a last resort (a foreign exception is
// the host's internal error 51) and hands it on; never throws.
void ReportToLastResort(const LastResort* lastResort) noexcept;

class EventDispatcher {
 public:
  using UnhandledReport = std::function<void(const RuntimeError&)>;

  explicit EventDispatcher(UnhandledReport unhandled) : unhandled_(std::move(unhandled)) {}

  void Raise(const Handler& handler);
  Handler Wrap(Handler handler);
  std::function<void(bool&)> Wrap(std::function<void(bool&)> handler);
  std::function<void(int)> Wrap(std::function<void(int)> handler);
  // A member function of a form as its handler: one piece of code for every such handler of
  // a class, where a lambda each would cost a std::function of its own.
  template <typename T, typename... Args>
  std::function<void(Args...)> Wrap(T* object, void (T::*member)(Args...)) {
    return Wrap(std::function<void(Args...)>(
        [object, member](Args... args) { (object->*member)(args...); }));
  }

  bool InHandler() const { return depth_ > 0; }

 private:
  template <typename Fn>
  void Run(const Fn& body);

  UnhandledReport unhandled_;
  int depth_ = 0;
};

}  // namespace duskline
