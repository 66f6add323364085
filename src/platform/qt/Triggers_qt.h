// What the triggers measure on Linux. The idle time from logind's IdleHint and
// IdleSinceHintMonotonic where the desktop sets them, else from the session's
// org.freedesktop.ScreenSaver GetSessionIdleTime, else from the X screen saver extension.
// A program's end from a pidfd for each instance, watched in the event loop.
#pragma once

#include <QSocketNotifier>
#include <map>
#include <memory>

#include "platform/Triggers.h"

namespace duskline::qt {

class SessionIdle : public IdleSource {
 public:
  std::optional<int64_t> IdleMilliseconds() override;
};

class PidfdWatch : public ProcessWatch {
 public:
  ~PidfdWatch() override;
  std::vector<std::string> Running() override;
  bool Watch(const std::string& name) override;
  void Cancel() override;

 private:
  void InstanceEnded(int pidfd);

  std::map<int, std::unique_ptr<QSocketNotifier>> instances_;  // by pidfd
};

}  // namespace duskline::qt
