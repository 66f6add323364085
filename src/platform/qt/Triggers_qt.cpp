#include "platform/qt/Triggers_qt.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <set>

// Last: Xlib's macros (None, Bool, Status) would rename Qt's names.
#include <X11/extensions/scrnsaver.h>

namespace duskline::qt {

namespace {

std::optional<int64_t> LogindIdle() {
  QDBusInterface session(QStringLiteral("org.freedesktop.login1"),
                         QStringLiteral("/org/freedesktop/login1/session/auto"),
                         QStringLiteral("org.freedesktop.login1.Session"),
                         QDBusConnection::systemBus());
  if (!session.isValid()) return std::nullopt;
  const QVariant since = session.property("IdleSinceHintMonotonic");
  // Zero: no desktop of this session ever set the hint.
  if (!since.isValid() || since.toULongLong() == 0) return std::nullopt;
  if (!session.property("IdleHint").toBool()) return 0;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const int64_t nowMicroseconds = int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
  return std::max<int64_t>(0, (nowMicroseconds - static_cast<int64_t>(since.toULongLong())) / 1000);
}

std::optional<int64_t> ScreenSaverIdle() {
  QDBusInterface saver(
      QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
      QStringLiteral("org.freedesktop.ScreenSaver"), QDBusConnection::sessionBus());
  if (!saver.isValid()) return std::nullopt;
  const QDBusReply<uint> reply = saver.call(QStringLiteral("GetSessionIdleTime"));
  if (!reply.isValid()) return std::nullopt;
  return reply.value();
}

std::optional<int64_t> XScreenSaverIdle() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (display == nullptr) return std::nullopt;
  int event = 0, error = 0;
  if (!XScreenSaverQueryExtension(display, &event, &error)) return std::nullopt;
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  if (info == nullptr) return std::nullopt;
  std::optional<int64_t> idle;
  if (XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) idle = info->idle;
  XFree(info);
  return idle;
}

// The names a process goes by: its command (at most 15 characters) and its program's file.
std::set<std::string> NamesOf(const QString& pid) {
  std::set<std::string> names;
  QFile comm(QStringLiteral("/proc/") + pid + QStringLiteral("/comm"));
  if (comm.open(QIODevice::ReadOnly)) names.insert(comm.readAll().trimmed().toStdString());
  QFile cmdline(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
  if (cmdline.open(QIODevice::ReadOnly)) {
    const QByteArray first = cmdline.readAll().split('\0').value(0);
    if (!first.isEmpty())
      names.insert(QFileInfo(QString::fromLocal8Bit(first)).fileName().toStdString());
  }
  names.erase("");
  return names;
}

template <typename Visit>
void EachProcess(Visit visit) {
  const QString self = QString::number(getpid());
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    pid.toInt(&number);
    // The user's own programs: another user's are no business of this session.
    if (number && pid != self &&
        QFileInfo(QStringLiteral("/proc/") + pid).ownerId() == static_cast<uint>(getuid()))
      visit(pid, NamesOf(pid));
  }
}

}  // namespace

std::optional<int64_t> SessionIdle::IdleMilliseconds() {
  if (const auto idle = LogindIdle()) return idle;
  if (const auto idle = ScreenSaverIdle()) return idle;
  return XScreenSaverIdle();
}

PidfdWatch::~PidfdWatch() {
  Cancel();
}

std::vector<std::string> PidfdWatch::Running() {
  std::set<std::string> all;
  EachProcess([&](const QString&, const std::set<std::string>& names) {
    if (!names.empty()) all.insert(*names.rbegin());
  });
  return {all.begin(), all.end()};
}

bool PidfdWatch::Watch(const std::string& name) {
  Cancel();
  EachProcess([&](const QString& pid, const std::set<std::string>& names) {
    if (!names.contains(name)) return;
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid.toInt(), 0));
    if (pidfd < 0) return;
    auto notifier = std::make_unique<QSocketNotifier>(pidfd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated,
                     [this, pidfd] { InstanceEnded(pidfd); });
    instances_.emplace(pidfd, std::move(notifier));
  });
  return !instances_.empty();
}

void PidfdWatch::Cancel() {
  for (auto& [pidfd, notifier] : instances_) {
    notifier.reset();
    close(pidfd);
  }
  instances_.clear();
}

// A pidfd becomes readable when its process ends.
void PidfdWatch::InstanceEnded(int pidfd) {
  const auto it = instances_.find(pidfd);
  if (it == instances_.end()) return;
  it->second->setEnabled(false);
  it->second.release()->deleteLater();
  instances_.erase(it);
  close(pidfd);
  if (instances_.empty() && Ended) Ended();
}

}  // namespace duskline::qt
