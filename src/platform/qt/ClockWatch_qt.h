// Tells when the system's clock is set or its time zone changes, on the user-interface thread.
#pragma once

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>

namespace duskline::qt {

// A timerfd on the real-time clock, armed for a moment that never comes, which the kernel
// cancels whenever the clock is set; and the folder of /etc/localtime, whose link or file is
// replaced when the time zone changes. Where either is missing, that part tells nothing.
class ClockWatch {
 public:
  explicit ClockWatch(std::function<void()> changed);
  ~ClockWatch();
  ClockWatch(const ClockWatch&) = delete;
  ClockWatch& operator=(const ClockWatch&) = delete;

 private:
  void Arm();
  void ClockSet();
  void FolderChanged();

  std::function<void()> changed_;
  int timer_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  QFileSystemWatcher folder_;
  std::string zone_;  // what /etc/localtime was: its link's target, inode and time
};

}  // namespace duskline::qt
