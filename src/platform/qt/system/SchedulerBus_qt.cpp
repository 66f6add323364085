#include "platform/qt/system/SchedulerBus_qt.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdio>

#include "scheduler/ScheduleCommand.h"

namespace duskline::qt {
namespace {

const QString kInterface = QString::fromLatin1(kSchedulerName);
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kRefused = QStringLiteral("Duskline.Scheduler1.Error.Refused");

QString TimeText(const std::optional<LocalTime>& time) {
  if (!time) return {};
  char text[24];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", time->year, time->month, time->day,
                time->hour, time->minute);
  return QString::fromLatin1(text);
}

}  // namespace

SchedulerBus::SchedulerBus(QDBusConnection bus, MachineSchedule& schedule, LogindMachine& machine)
    : bus_(std::move(bus)), schedule_(schedule), machine_(machine) {}

bool SchedulerBus::Publish() {
  return bus_.registerVirtualObject(QString::fromLatin1(kSchedulerPath), this) &&
         bus_.registerService(kInterface);
}

QString SchedulerBus::introspect(const QString&) const {
  return QStringLiteral(
      "<interface name=\"Duskline.Scheduler1\">"
      "<property name=\"Schedule\" type=\"s\" access=\"read\"/>"
      "<property name=\"Days\" type=\"s\" access=\"read\"/>"
      "<property name=\"NextAction\" type=\"s\" access=\"read\"/>"
      "<property name=\"Phase\" type=\"s\" access=\"read\"/>"
      "<property name=\"NoStop\" type=\"b\" access=\"read\"/>"
      "<property name=\"NoPostpone\" type=\"b\" access=\"read\"/>"
      "<signal name=\"WarningBegan\"><arg name=\"next_action\" type=\"s\"/></signal>"
      "<signal name=\"CountdownBegan\"><arg name=\"next_action\" type=\"s\"/></signal>"
      "<method name=\"Stop\"/><method name=\"Postpone\"/></interface>");
}

QVariantMap SchedulerBus::Properties() const {
  const std::optional<MachinePolicy>& policy = schedule_.policy();
  return {{QStringLiteral("Schedule"), policy ? QString::fromStdString(ProduceScheduleCommand(
                                                    policy->timeText, policy->typeIndex))
                                              : QString()},
          {QStringLiteral("Days"),
           QString::fromStdString(policy ? StoredDays(policy->days) : std::string())},
          {QStringLiteral("NextAction"), TimeText(schedule_.NextAction())},
          {QStringLiteral("Phase"), QString::fromLatin1(PhaseName(schedule_.phase()))},
          {QStringLiteral("NoStop"), policy && policy->noStop},
          {QStringLiteral("NoPostpone"), policy && policy->noPostpone}};
}

void SchedulerBus::Announce(std::optional<Phase> began) {
  const QString path = QString::fromLatin1(kSchedulerPath);
  if (began && began != Phase::kIdle) {
    QDBusMessage signal =
        QDBusMessage::createSignal(path, kInterface,
                                   began == Phase::kWarning ? QStringLiteral("WarningBegan")
                                                            : QStringLiteral("CountdownBegan"));
    signal << TimeText(schedule_.NextAction());
    bus_.send(signal);
  }
  QDBusMessage changed =
      QDBusMessage::createSignal(path, kProperties, QStringLiteral("PropertiesChanged"));
  changed << kInterface << Properties() << QStringList();
  bus_.send(changed);
}

QDBusMessage SchedulerBus::Request(const QDBusMessage& message, bool stop) {
  // Who asks: the caller's process and user as the bus daemon knows them, its session from
  // logind.
  QDBusConnectionInterface* daemon = bus_.interface();
  const QDBusReply<uint> pid = daemon->servicePid(message.service());
  const QDBusReply<uint> uid = daemon->serviceUid(message.service());
  std::optional<SessionInfo> caller;
  if (pid.isValid() && uid.isValid()) caller = machine_.SessionOf(pid.value(), uid.value());
  const Refusal refusal = stop ? schedule_.Stop(caller) : schedule_.Postpone(caller);
  if (refusal == Refusal::kNone) return message.createReply();
  return message.createErrorReply(kRefused, QString::fromStdString(RefusalText(refusal)));
}

bool SchedulerBus::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
  const QString member = message.member();
  QDBusMessage reply;
  if (message.interface() == kProperties) {
    const QVariantMap properties = Properties();
    const QString name = message.arguments().value(1).toString();
    if (member == QLatin1String("GetAll")) {
      reply = message.createReply(QVariant::fromValue(properties));
    } else if (member == QLatin1String("Get")) {
      reply = properties.contains(name)
                  ? message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name))))
                  : message.createErrorReply(QDBusError::UnknownProperty, name);
    } else {
      reply = message.createErrorReply(QDBusError::PropertyReadOnly,
                                       QStringLiteral("The properties are read only."));
    }
  } else if (member == QLatin1String("Stop") || member == QLatin1String("Postpone")) {
    reply = Request(message, member == QLatin1String("Stop"));
  } else {
    return false;
  }
  bus_.send(reply);
  return true;
}

}  // namespace duskline::qt
