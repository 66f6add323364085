#include "platform/qt/PolicyFile_qt.h"

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "scheduler/Policy.h"

namespace duskline::qt {
namespace {

constexpr int kSettleMs = 200;
// A policy is a few lines: a bigger file is none, and is never read into memory.
constexpr size_t kMostBytes = 64 * 1024;

const char* SectionOf(const std::string& name) {
  return name == kPolicyCode || name == kPolicyDays || name == kPolicyTrigger ? "Command"
                                                                              : "Policy";
}

// Why users other than root could change what `status` describes; empty when none can.
std::string OpenToOthers(const std::string& path, const struct stat& status) {
  if (status.st_uid != 0) return path + " is not owned by root";
  if ((status.st_mode & S_IWOTH) || ((status.st_mode & S_IWGRP) && status.st_gid != 0))
    return path + " can be changed by users other than root";
  return {};
}

}  // namespace

PolicyFile::PolicyFile(std::string folder, std::function<void(const std::string&)> warn)
    : folder_(std::move(folder)), path_(folder_ + "/policy.ini"), warn_(std::move(warn)) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  QObject::connect(&settle_, &QTimer::timeout, [this] {
    Watch();
    if (Load() && Changed) Changed();
  });
  auto changed = [this] { settle_.start(); };
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, changed);
  QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, changed);
  Watch();
  Load();
}

void PolicyFile::Watch() {
  auto watch = [this](const std::string& path) {
    const QString name = QString::fromStdString(path);
    if (access(path.c_str(), F_OK) == 0 && !watcher_.files().contains(name) &&
        !watcher_.directories().contains(name))
      watcher_.addPath(name);
  };
  // A file renamed over the old one is a new file: its watch is set again. Without the folder,
  // its parent tells when it comes.
  watch(path_);
  const std::string parent = folder_.substr(0, folder_.rfind('/'));
  watch(access(folder_.c_str(), F_OK) == 0 ? folder_ : parent.empty() ? "/" : parent);
}

bool PolicyFile::Load() {
  std::string bytes, why;
  struct stat status {};
  // Non-blocking: a FIFO in the file's place must not hold the program up.
  const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  const int error = errno;
  if (fd < 0 && lstat(path_.c_str(), &status) == 0)
    why = path_ + " cannot be read (" + strerror(error) + ")";
  if (fd >= 0) {
    if (fstat(fd, &status) == 0 && !S_ISREG(status.st_mode)) why = path_ + " is not a file";
    if (why.empty() && stat(folder_.c_str(), &status) == 0) why = OpenToOthers(folder_, status);
    if (why.empty() && fstat(fd, &status) == 0) why = OpenToOthers(path_, status);
    char buffer[4096];
    for (ssize_t got; why.empty() && (got = read(fd, buffer, sizeof buffer)) > 0;) {
      bytes.append(buffer, static_cast<size_t>(got));
      if (bytes.size() > kMostBytes) why = path_ + " is larger than 64 KiB";
    }
    if (why.empty() && bytes.find('\0') != std::string::npos) why = path_ + " is not text";
    close(fd);
  }
  if (!why.empty()) bytes.clear();
  if (why != warned_ && !why.empty() && warn_) warn_(why + "; the policy in it is ignored.");
  const bool valid = fd >= 0 && why.empty();
  const bool changed = bytes != bytes_ || why != warned_ || valid != ini_.has_value();
  warned_ = why;
  bytes_ = std::move(bytes);
  ini_.reset();
  if (valid) ini_.emplace(bytes_);
  return changed;
}

PolicyValue PolicyFile::Read(PolicyScope scope, const std::string& name) const {
  if (scope != PolicyScope::Machine || !ini_) return {};
  const std::optional<std::string> value = ini_->Value(SectionOf(name), name);
  if (!value) return {};
  return {PolicyValue::Kind::Text, *value};
}

std::string PolicyFile::Where(PolicyScope scope, const std::string& name) const {
  // There is no user's policy here; its place must still differ from the computer's.
  if (scope != PolicyScope::Machine) return name;
  return path_ + " [" + SectionOf(name) + "] " + name;
}

}  // namespace duskline::qt
