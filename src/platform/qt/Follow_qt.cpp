#include "platform/qt/Follow_qt.h"

#include "platform/Language.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace duskline::qt {
namespace {

const QString kName = QStringLiteral("Duskline.Scheduler1");
const QString kPath = QStringLiteral("/Duskline/Scheduler1");
// Read once a second on the user-interface thread: a service that hangs must not hang it.
constexpr int kReadTimeoutMs = 500;
constexpr int kRequestTimeoutMs = 10000;

}  // namespace

std::string BusScheduler::Phase() {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kName, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kName << QStringLiteral("Phase");
  const QDBusMessage reply = bus_.call(get, QDBus::Block, kReadTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) return {};
  return reply.arguments().value(0).value<QDBusVariant>().variant().toString().toStdString();
}

std::string BusScheduler::Call(const char* method) {
  const QDBusMessage reply =
      bus_.call(QDBusMessage::createMethodCall(kName, kPath, kName, QString::fromLatin1(method)),
                QDBus::Block, kRequestTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage) return {};
  const QString why = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
  return why.isEmpty() ? std::string(N_("The system service did not answer.")) : why.toStdString();
}

}  // namespace duskline::qt
