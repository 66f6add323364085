#include "platform/qt/system/LogindMachine_qt.h"

#include <syslog.h>
#include <systemd/sd-journal.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QVariantMap>

#include "service/MachineSchedule.h"

namespace duskline::qt {
namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
constexpr int kCallTimeoutMs = 10000;

QDBusMessage Call(QDBusConnection& bus, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments) {
  QDBusMessage call = QDBusMessage::createMethodCall(kLogind, path, interface, method);
  call.setArguments(arguments);
  return bus.call(call, QDBus::Block, kCallTimeoutMs);
}

bool Refused(const QDBusMessage& reply, std::string& why) {
  if (reply.type() == QDBusMessage::ReplyMessage) return false;
  if (why.empty()) {
    const QString text = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    why = text.isEmpty() ? "logind did not answer" : text.toStdString();
  }
  return true;
}

struct Session {
  QString id;
  uint32_t uid = 0;
  SessionInfo info;
};

std::optional<Session> Describe(QDBusConnection& bus, const QString& path) {
  const QDBusMessage reply =
      Call(bus, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"),
           {QStringLiteral("org.freedesktop.login1.Session")});
  if (reply.type() != QDBusMessage::ReplyMessage) return std::nullopt;
  const auto properties = qdbus_cast<QVariantMap>(reply.arguments().value(0));
  Session session;
  session.id = properties.value(QStringLiteral("Id")).toString();
  // User is a structure (uo).
  const auto user = properties.value(QStringLiteral("User")).value<QDBusArgument>();
  if (user.currentType() == QDBusArgument::StructureType) {
    user.beginStructure();
    user >> session.uid;
    user.endStructure();
  }
  session.info = {properties.value(QStringLiteral("Type")).toString().toStdString(),
                  properties.value(QStringLiteral("Class")).toString().toStdString(),
                  properties.value(QStringLiteral("Active")).toBool()};
  return session;
}

}  // namespace

std::string LogindMachine::EachGraphicalSession(const QString& method, int& count) {
  std::string why;
  const QDBusMessage list = Call(bus_, kManagerPath, kManager, QStringLiteral("ListSessions"), {});
  if (Refused(list, why)) return why;
  QList<QString> paths;
  const auto array = list.arguments().value(0).value<QDBusArgument>();
  array.beginArray();
  while (!array.atEnd()) {  // a(susso): id, uid, user, seat, path
    QString id, user, seat;
    uint32_t uid = 0;
    QDBusObjectPath path;
    array.beginStructure();
    array >> id >> uid >> user >> seat >> path;
    array.endStructure();
    paths.append(path.path());
  }
  array.endArray();
  for (const QString& path : paths) {
    const std::optional<Session> session = Describe(bus_, path);
    if (!session || !IsGraphicalUserSession(session->info)) continue;
    if (!Refused(Call(bus_, kManagerPath, kManager, method, {session->id}), why)) ++count;
  }
  return why;
}

std::string LogindMachine::Carry(MachineAction action, int& count) {
  count = 0;
  QString method;
  switch (action) {
    case MachineAction::kEndSessions:
      return EachGraphicalSession(QStringLiteral("TerminateSession"), count);
    case MachineAction::kLockSessions:
      return EachGraphicalSession(QStringLiteral("LockSession"), count);
    case MachineAction::kHalt:
      method = QStringLiteral("Halt");
      break;
    case MachineAction::kPowerOff:
      method = QStringLiteral("PowerOff");
      break;
    case MachineAction::kReboot:
      method = QStringLiteral("Reboot");
      break;
    case MachineAction::kSuspend:
      method = QStringLiteral("Suspend");
      break;
    case MachineAction::kHibernate:
      method = QStringLiteral("Hibernate");
      break;
  }
  // false: no interactive authentication; polkit's rule for our user decides alone.
  std::string why;
  Refused(Call(bus_, kManagerPath, kManager, method, {false}), why);
  return why;
}

std::optional<SessionInfo> LogindMachine::SessionOf(uint32_t pid, uint32_t uid) {
  const QDBusMessage reply =
      Call(bus_, kManagerPath, kManager, QStringLiteral("GetSessionByPID"), {pid});
  if (reply.type() != QDBusMessage::ReplyMessage) return std::nullopt;
  const std::optional<Session> session =
      Describe(bus_, reply.arguments().value(0).value<QDBusObjectPath>().path());
  if (!session || session->uid != uid) return std::nullopt;
  return session->info;
}

void LogindMachine::WriteEventLogEntry(int16_t eventType, int32_t eventId,
                                       const std::string& text) {
  constexpr int16_t kErrorEntry = 109, kErrorType = 1, kWarningType = 2;
  const int priority = eventType == kErrorEntry || eventType == kErrorType ? LOG_ERR
                       : eventType == kWarningType                         ? LOG_WARNING
                                                                           : LOG_INFO;
  sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%d", priority,
                  "SYSLOG_IDENTIFIER=duskline-system", "DUSKLINE_EVENT_ID=%d",
                  static_cast<int>(eventId), nullptr);
}

}  // namespace duskline::qt
