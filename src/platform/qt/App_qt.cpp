#include "platform/qt/App_qt.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "scheduler/ScheduleCommand.h"

namespace duskline::qt {

std::string SettingsFolder(const SettingsPlace& place) {
  if (place.besideFileExists && place.programFolderWritable) return place.programFolder + "/";
  // A relative $XDG_CONFIG_HOME is to be ignored.
  if (!place.xdgConfigHome.empty() && place.xdgConfigHome.front() == '/')
    return place.xdgConfigHome + "/duskline/";
  if (!place.home.empty()) return place.home + "/.config/duskline/";
  return place.programFolder + "/";  // no home at all: the program's folder is all there is
}

std::string FindSettingsFolder(const std::string& programFolder) {
  auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
  };
  SettingsPlace place{programFolder, variable("XDG_CONFIG_HOME"), variable("HOME")};
  place.besideFileExists = access(ScheduleFilePath(programFolder + "/").c_str(), F_OK) == 0;
  place.programFolderWritable = access(programFolder.c_str(), W_OK) == 0;
  const std::string folder = SettingsFolder(place);
  // Made for the first save; where that fails, saving fails as it would on a full disk.
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

std::vector<std::string> QtApp::UserLanguages() const {
  // As gettext reads them: the messages' locale is the first set of LC_ALL, LC_MESSAGES and
  // LANG; in the C locale LANGUAGE is ignored, otherwise its list goes before the locale.
  auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
  };
  std::string locale = variable("LC_ALL");
  if (locale.empty()) locale = variable("LC_MESSAGES");
  if (locale.empty()) locale = variable("LANG");
  if (locale.empty() || locale == "C" || locale == "POSIX") return {};
  std::vector<std::string> languages;
  const std::string list = variable("LANGUAGE");
  for (size_t from = 0; from < list.size();) {
    const size_t colon = std::min(list.find(':', from), list.size());
    if (colon > from) languages.push_back(list.substr(from, colon - from));
    from = colon + 1;
  }
  languages.push_back(locale);
  return languages;
}

int QtApp::Major() const {
  return DUSKLINE_VERSION_MAJOR;
}

int QtApp::Minor() const {
  return DUSKLINE_VERSION_MINOR;
}

int QtApp::Revision() const {
  return DUSKLINE_VERSION_PATCH;
}

void QtApp::End() {
  std::_Exit(0);
}

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

LocalTime QtClock::Now() const {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return {local.tm_year + 1900,
          local.tm_mon + 1,
          local.tm_mday,
          local.tm_hour,
          local.tm_min,
          local.tm_sec,
          static_cast<int>(now.tv_nsec / 1000000)};
}

int64_t QtClock::Elapsed() const {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace duskline::qt
