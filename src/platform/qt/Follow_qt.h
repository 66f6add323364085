// The system service on the system bus, as the user's program follows it.
#pragma once

#include <QDBusConnection>

#include "platform/Follow.h"

namespace duskline::qt {

// Set in the environment by the package's autostart entry: follow the system service.
inline constexpr char kFollowVariable[] = "DUSKLINE_FOLLOW";

class BusScheduler : public SystemScheduler {
 public:
  BusScheduler() : bus_(QDBusConnection::systemBus()) {}
  std::string Phase() override;
  std::string Stop() override { return Call("Stop"); }
  std::string Postpone() override { return Call("Postpone"); }

 private:
  std::string Call(const char* method);
  QDBusConnection bus_;
};

}  // namespace duskline::qt
