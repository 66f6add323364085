// The system service's interface on the system bus: the schedule, the next action's time and
// the phase as properties, a signal when the warning and when the countdown begin, and the
// users' Stop and Postpone. The name claims no domain: its first element is no top-level one.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>

#include "platform/qt/system/LogindMachine_qt.h"
#include "service/MachineSchedule.h"

namespace duskline::qt {

inline constexpr char kSchedulerName[] = "Duskline.Scheduler1";
inline constexpr char kSchedulerPath[] = "/Duskline/Scheduler1";

class SchedulerBus : public QDBusVirtualObject {
 public:
  SchedulerBus(QDBusConnection bus, MachineSchedule& schedule, LogindMachine& machine);
  // Registers the object and then the name; false when either is refused.
  bool Publish();
  // The properties changed; with a phase, that phase began, and its signal goes out too.
  void Announce(std::optional<Phase> began);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  QVariantMap Properties() const;
  QDBusMessage Request(const QDBusMessage& message, bool stop);

  QDBusConnection bus_;
  MachineSchedule& schedule_;
  LogindMachine& machine_;
};

}  // namespace duskline::qt
