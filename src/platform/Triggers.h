// What the triggers besides a time of day measure: how long nobody has touched the keyboard or
// the mouse, and when a program has ended. The backends only measure; the main window decides.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace duskline {

class IdleSource {
 public:
  virtual ~IdleSource() = default;
  // Milliseconds since the last keyboard or mouse input of the session; nothing when the
  // system cannot tell.
  virtual std::optional<int64_t> IdleMilliseconds() = 0;
};

class ProcessWatch {
 public:
  virtual ~ProcessWatch() = default;
  // Names of the programs running in the session, sorted, each once, for the user to pick.
  virtual std::vector<std::string> Running() = 0;
  // Waits for every running instance of the program of that name to end, instead of any
  // earlier watch; false (and no watch) when none runs.
  virtual bool Watch(const std::string& name) = 0;
  virtual void Cancel() = 0;

  // Raised on the user-interface thread once the last watched instance has ended.
  std::function<void()> Ended;
};

// A system that offers neither.
class NoIdleSource : public IdleSource {
 public:
  std::optional<int64_t> IdleMilliseconds() override { return std::nullopt; }
};
class NoProcessWatch : public ProcessWatch {
 public:
  std::vector<std::string> Running() override { return {}; }
  bool Watch(const std::string&) override { return false; }
  void Cancel() override {}
};

}  // namespace duskline
