#include "platform/qt/System_qt.h"

#include <unistd.h>

#include <QAction>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QWidget>

#include "platform/qt/Backend_qt.h"

namespace duskline::qt {
namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");

// A refused call is answered within this time; a logind that hangs is a refusal too.
constexpr int kCallTimeoutMs = 10000;
// Any nonzero code: the text of the refusal is kept beside it.
constexpr uint32_t kRefused = 1;

// The flags of ExitWindowsEx; the force bit means nothing to logind, whose calls never wait
// for programs to agree.
constexpr uint32_t kEwxLogoff = 0, kEwxShutdown = 1, kEwxReboot = 2, kEwxForce = 4,
                   kEwxPowerOff = 8;
constexpr std::intptr_t kHwndTopmost = -1, kHwndNoTopmost = -2;

}  // namespace

LogindSystemApi::LogindSystemApi(std::function<void()> resumed)
    : bus_(QDBusConnection::systemBus()), sleeping_(std::make_unique<QAction>()) {
  // Qt delivers a D-Bus signal only to a slot; a checkable action's setChecked is one, and
  // its toggled signal hands the argument on to a plain function on this thread.
  sleeping_->setCheckable(true);
  QObject::connect(sleeping_.get(), &QAction::toggled, [resumed](bool goingToSleep) {
    if (!goingToSleep && resumed) resumed();
  });
  bus_.connect(kLogind, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), sleeping_.get(),
               SLOT(setChecked(bool)));
}

LogindSystemApi::~LogindSystemApi() = default;

QVariant LogindSystemApi::Call(const QString& path, const QString& interface, const QString& method,
                               const QVariantList& arguments, bool& ok) {
  QDBusMessage call = QDBusMessage::createMethodCall(kLogind, path, interface, method);
  call.setArguments(arguments);
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  ok = reply.type() == QDBusMessage::ReplyMessage;
  if (!ok) {
    lastError_ = kRefused;
    const QString why = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    errorText_ = why.isEmpty() ? "logind did not answer" : why.toStdString();
    return {};
  }
  return reply.arguments().value(0);
}

bool LogindSystemApi::Manager(const QString& method, const QVariantList& arguments) {
  bool ok = false;
  Call(kManagerPath, kManager, method, arguments, ok);
  return ok;
}

QString LogindSystemApi::OwnSession(bool& ok) {
  QVariant path = Call(kManagerPath, kManager, QStringLiteral("GetSessionByPID"),
                       {static_cast<uint32_t>(getpid())}, ok);
  // Run as a user service the process is in no session; "auto" is then the user's graphical
  // session.
  if (!ok)
    path = Call(kManagerPath, kManager, QStringLiteral("GetSession"), {QStringLiteral("auto")}, ok);
  return ok ? path.value<QDBusObjectPath>().path() : QString();
}

uint32_t LogindSystemApi::GetVersion() {
  return 10;  // as Windows 10 reports itself: bit 31 clear, the privilege step runs
}

std::string LogindSystemApi::ErrorText(uint32_t code) {
  return code == kRefused ? errorText_ : std::string();
}

std::intptr_t LogindSystemApi::GetCurrentProcess() {
  return -1;  // Windows' pseudo handle; nothing here uses it
}

// Polkit decides at the call itself: the privilege steps have nothing to do and succeed.
bool LogindSystemApi::OpenProcessToken(std::intptr_t, uint32_t, std::intptr_t* token) {
  if (token) *token = 0;
  lastError_ = 0;
  return true;
}

bool LogindSystemApi::LookupPrivilegeValueA(const std::string&, const std::string&,
                                            uint64_t* luid) {
  if (luid) *luid = 0;
  lastError_ = 0;
  return true;
}

bool LogindSystemApi::AdjustTokenPrivileges(std::intptr_t, bool, const TokenPrivileges&, uint32_t,
                                            TokenPrivileges* previousState,
                                            uint32_t* returnLength) {
  if (previousState) *previousState = {};
  if (returnLength) *returnLength = 0;
  lastError_ = 0;
  return true;
}

bool LogindSystemApi::ExitWindowsEx(uint32_t flags, uint32_t) {
  // false: no interactive authentication, so nobody is asked and the action is forced.
  switch (flags & ~kEwxForce) {
    case kEwxLogoff: {
      bool ok = false;
      const QString session = OwnSession(ok);
      if (ok) Call(session, kSession, QStringLiteral("Terminate"), {}, ok);
      return ok;
    }
    case kEwxShutdown:
      return Manager(QStringLiteral("Halt"), {false});
    case kEwxPowerOff:
      return Manager(QStringLiteral("PowerOff"), {false});
    case kEwxReboot:
      return Manager(QStringLiteral("Reboot"), {false});
    default:
      lastError_ = kRefused;
      errorText_ = "not an action logind knows";
      return false;
  }
}

bool LogindSystemApi::SetSuspendState(bool hibernate, bool, bool) {
  return Manager(hibernate ? QStringLiteral("Hibernate") : QStringLiteral("Suspend"), {false});
}

bool LogindSystemApi::IsPwrHibernateAllowed() {
  bool ok = false;
  const QString answer =
      Call(kManagerPath, kManager, QStringLiteral("CanHibernate"), {}, ok).toString();
  // "challenge": allowed after authentication, which polkit may grant without asking.
  return ok && (answer == QLatin1String("yes") || answer == QLatin1String("challenge"));
}

bool LogindSystemApi::LockWorkStation() {
  bool ok = false;
  const QString session = OwnSession(ok);
  if (!ok) return false;
  const QVariant id = Call(session, QStringLiteral("org.freedesktop.DBus.Properties"),
                           QStringLiteral("Get"), {kSession, QStringLiteral("Id")}, ok);
  return ok && Manager(QStringLiteral("LockSession"), {id.value<QDBusVariant>().variant()});
}

bool LogindSystemApi::SetWindowPos(WindowHandle window, std::intptr_t insertAfter, int, int, int,
                                   int, uint32_t) {
  auto* widget = reinterpret_cast<QWidget*>(window);
  if (widget == nullptr) return false;
  if (insertAfter != kHwndTopmost && insertAfter != kHwndNoTopmost) return true;
  // Changing the flags re-creates the native window, which hides it.
  const bool shown = widget->isVisible();
  widget->setWindowFlag(Qt::WindowStaysOnTopHint, insertAfter == kHwndTopmost);
  if (shown) widget->show();
  return true;
}

std::unique_ptr<SystemApi> CreateSystemApi(std::function<void()> resumed) {
  return std::make_unique<LogindSystemApi>(std::move(resumed));
}

}  // namespace duskline::qt
