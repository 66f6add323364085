#include "platform/Events.h"

namespace duskline {

std::string StandardErrorText(const RuntimeError& error) {
  return "Run-time error '" + std::to_string(error.Number()) + "':\n\n" + error.Description();
}

void ReportToLastResort(const LastResort* lastResort) noexcept {
  try {
    try {
      throw;
    } catch (const RuntimeError& error) {
      if (lastResort && *lastResort) (*lastResort)(error);
    } catch (...) {
      if (lastResort && *lastResort) (*lastResort)(RuntimeError(51, "Internal error"));
    }
  } catch (...) {
    // The report itself failed: nothing is left to tell.
  }
}

template <typename Fn>
void EventDispatcher::Run(const Fn& body) {
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  };
  if (depth_ > 0) {
    Depth nested(depth_);
    body();  // the caller's own handler sees the error
    return;
  }
  try {
    Depth outer(depth_);
    body();
  } catch (const RuntimeError& error) {
    unhandled_(error);
  }
}

void EventDispatcher::Raise(const Handler& handler) {
  if (handler) Run(handler);
}

Handler EventDispatcher::Wrap(Handler handler) {
  return [this, handler = std::move(handler)] { Raise(handler); };
}

std::function<void(bool&)> EventDispatcher::Wrap(std::function<void(bool&)> handler) {
  return [this, handler = std::move(handler)](bool& flag) { Run([&] { handler(flag); }); };
}

std::function<void(int)> EventDispatcher::Wrap(std::function<void(int)> handler) {
  return [this, handler = std::move(handler)](int value) { Run([&] { handler(value); }); };
}

}  // namespace duskline
