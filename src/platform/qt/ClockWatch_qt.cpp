#include "platform/qt/ClockWatch_qt.h"

#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <limits>

namespace duskline::qt {
namespace {

constexpr char kZoneFolder[] = "/etc";
constexpr char kZoneFile[] = "/etc/localtime";

std::string ZoneState() {
  char target[4096];
  const ssize_t length = readlink(kZoneFile, target, sizeof target);
  struct stat status {};
  if (stat(kZoneFile, &status) != 0) return {};
  return std::string(target, length > 0 ? static_cast<size_t>(length) : 0) + " " +
         std::to_string(status.st_ino) + " " + std::to_string(status.st_mtim.tv_sec) + "." +
         std::to_string(status.st_mtim.tv_nsec);
}

}  // namespace

ClockWatch::ClockWatch(std::function<void()> changed)
    : changed_(std::move(changed)), zone_(ZoneState()) {
  timer_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (timer_ >= 0) {
    Arm();
    notifier_ = std::make_unique<QSocketNotifier>(timer_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { ClockSet(); });
  }
  if (folder_.addPath(QString::fromLatin1(kZoneFolder)))
    QObject::connect(&folder_, &QFileSystemWatcher::directoryChanged, &folder_,
                     [this] { FolderChanged(); });
}

ClockWatch::~ClockWatch() {
  notifier_.reset();
  if (timer_ >= 0) close(timer_);
}

void ClockWatch::Arm() {
  itimerspec never{};
  never.it_value.tv_sec = std::numeric_limits<time_t>::max();
  timerfd_settime(timer_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr);
}

void ClockWatch::ClockSet() {
  uint64_t expirations = 0;
  if (read(timer_, &expirations, sizeof expirations) >= 0 || errno != ECANCELED) return;
  Arm();
  changed_();
}

// Anything else in the folder that changes (a new resolv.conf, say) is no news of the zone.
void ClockWatch::FolderChanged() {
  std::string zone = ZoneState();
  if (zone == zone_) return;
  zone_ = std::move(zone);
  tzset();  // the C library reads the zone again
  changed_();
}

}  // namespace duskline::qt
