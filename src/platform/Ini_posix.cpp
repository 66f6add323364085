// Our own INI functions where the system has none: the text engine of IniFile over files that
// are replaced atomically, so a crash leaves the old file or the new one, never a mixture.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/Ini.h"
#include "platform/IniFile.h"

namespace duskline {
namespace {

// The program names its file the Windows way ("<folder>\Vesperon.ini").
std::string PosixPath(const std::string& fileName) {
  std::string path = fileName.substr(0, fileName.find('\0'));
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// The file's bytes; nothing when it is missing or cannot be read.
std::optional<std::string> ReadFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string Folder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes a temporary file beside the target, flushes it and renames it over the target.
bool ReplaceFile(std::string path, const std::string& bytes) {
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists) {
    // Replace the file a link points to, not the link.
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return false;
    path = resolved;
    // A file without any write permission is read-only, even for the superuser.
    if (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0) return false;
    if (::access(path.c_str(), W_OK) != 0) return false;
  }
  static std::atomic<unsigned> counter{0};
  const std::string folder = Folder(path);
  const std::string base = path.substr(path.rfind('/') + 1);
  // A writer killed earlier under the same process id (ids are reused) may have left a file
  // under the next name: take a following one rather than give the write up.
  constexpr int kTempAttempts = 1 << 16;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < kTempAttempts; ++attempt) {
    temp = folder + "/." + base + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter++) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  if (exists) {
    ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    if (ok && ::geteuid() == 0 && ::fchown(fd, existing.st_uid, existing.st_gid) != 0) ok = false;
  }
  ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself lasts only once the folder is on disk.
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

class PosixIniFunctions : public IniFunctions {
 public:
  uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, char* buffer, uint32_t size,
                                   const std::string& fileName) override {
    if (buffer == nullptr || size == 0) return 0;
    std::optional<std::string> value;
    const std::string path = PosixPath(fileName);
    if (!path.empty()) {
      if (std::optional<std::string> bytes = ReadFile(path))
        value = IniFile(*bytes).Value(section, key);
    }
    if (!value) {
      // The system drops the default's trailing blanks, and sees it only up to a zero.
      std::string fallback = defaultValue.substr(0, defaultValue.find('\0'));
      fallback.erase(fallback.find_last_not_of(' ') + 1);
      value = std::move(fallback);
    }
    // A value read from the file ends at a zero character as well.
    size_t count = std::min<size_t>(std::strlen(value->c_str()), size - 1);
    std::memcpy(buffer, value->data(), count);
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
  }

  bool WritePrivateProfileString(const std::string& section, const std::optional<std::string>& key,
                                 const std::optional<std::string>& value,
                                 const std::string& fileName) override {
    const std::string path = PosixPath(fileName);
    if (path.empty()) return false;
    std::string before;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      std::optional<std::string> bytes = ReadFile(path);
      if (!bytes) return false;  // never replace what could not be read
      before = std::move(*bytes);
    }
    IniFile file(before);
    if (!key) {
      file.RemoveSection(section);
    } else if (!value) {
      file.RemoveKey(section, *key);
    } else if (!file.Set(section, *key, *value)) {
      return false;
    }
    std::string after = file.Bytes();
    if (after == before) return true;  // nothing to change: leave the file alone
    return ReplaceFile(path, after);
  }
};

}  // namespace

std::unique_ptr<IniFunctions> MakeSystemIniFunctions() {
  return std::make_unique<PosixIniFunctions>();
}

}  // namespace duskline
