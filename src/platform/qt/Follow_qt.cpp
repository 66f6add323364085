#include "platform/qt/Follow_qt.h"

#include "platform/Language.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace duskline::qt {
namespace {

const QString kName = QStringLiteral("Duskline.Scheduler1");
const QString kPath = QStringLiteral("/Duskline/Scheduler1");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A service that hangs must not hang the user-interface thread.
constexpr int kReadTimeoutMs = 500;
constexpr int kRequestTimeoutMs = 10000;

QDBusMessage PhaseRead() {
  QDBusMessage get =
      QDBusMessage::createMethodCall(kName, kPath, kProperties, QStringLiteral("Get"));
  get << kName << QStringLiteral("Phase");
  return get;
}

}  // namespace

BusScheduler::BusScheduler()
    : bus_(QDBusConnection::systemBus()),
      watcher_(kName, bus_, QDBusServiceWatcher::WatchForOwnerChange) {
  changed_.setSingleShot(true);
  changed_.setInterval(0);
  QObject::connect(&changed_, &QTimer::timeout, [this] { Read(); });
  // The service restarted: the new one's phase; gone: nothing to follow until it is back.
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged,
                   [this](const QString&, const QString&, const QString& owner) {
                     if (owner.isEmpty()) {
                       Take(QDBusMessage());
                     } else {
                       changed_.start();
                     }
                   });
  bus_.connect(kName, kPath, kProperties, QStringLiteral("PropertiesChanged"), &changed_,
               SLOT(start()));
  Take(bus_.call(PhaseRead(), QDBus::Block, kReadTimeoutMs));
}

void BusScheduler::Read() {
  auto* reply = new QDBusPendingCallWatcher(bus_.asyncCall(PhaseRead(), kReadTimeoutMs), &changed_);
  QObject::connect(reply, &QDBusPendingCallWatcher::finished, [this, reply] {
    Take(reply->reply());
    reply->deleteLater();
  });
}

void BusScheduler::Take(const QDBusMessage& reply) {
  std::string phase;
  if (reply.type() == QDBusMessage::ReplyMessage)
    phase = reply.arguments().value(0).value<QDBusVariant>().variant().toString().toStdString();
  if (phase == phase_) return;
  phase_ = std::move(phase);
  if (Changed) Changed();
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
