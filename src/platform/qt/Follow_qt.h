// The system service on the system bus, as the user's program follows it.
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QTimer>

#include "platform/Follow.h"

namespace duskline::qt {

// Set in the environment by the package's autostart entry: follow the system service.
inline constexpr char kFollowVariable[] = "DUSKLINE_FOLLOW";

// Reads the phase once, waiting for the answer, then again only when the service says its
// properties changed or when it comes back on the bus: the program sleeps while nothing is due.
class BusScheduler : public SystemScheduler {
 public:
  BusScheduler();
  std::string Phase() override { return phase_; }
  std::string Stop() override { return Call("Stop"); }
  std::string Postpone() override { return Call("Postpone"); }

 private:
  void Read();
  void Take(const QDBusMessage& reply);
  std::string Call(const char* method);

  QDBusConnection bus_;
  QDBusServiceWatcher watcher_;
  // Qt hands a D-Bus signal only to a slot: a single-shot timer's start is one, and the
  // changes of one moment cost one read.
  QTimer changed_;
  std::string phase_;
};

}  // namespace duskline::qt
