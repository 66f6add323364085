// The application and the clock on Linux, and where the settings file lives.
#pragma once

#include <string>

#include "platform/System.h"

namespace duskline::qt {

// What decides the settings folder.
struct SettingsPlace {
  std::string programFolder;      // the program's folder, without a trailing '/'
  std::string xdgConfigHome;      // $XDG_CONFIG_HOME, empty when unset
  std::string home;               // $HOME
  bool besideFileExists = false;  // Vesperon.ini in the program's folder
  bool programFolderWritable = false;
};

// The folder of the settings file, with a trailing '/': beside the program when a settings
// file is there and the folder is writable (a portable copy), else the user's configuration
// folder.
std::string SettingsFolder(const SettingsPlace& place);

// SettingsFolder for this process and this machine; the folder is created when missing.
std::string FindSettingsFolder(const std::string& programFolder);

class QtApp : public App {
 public:
  QtApp(std::string settingsFolder, std::string commandLine)
      : path_(std::move(settingsFolder)), commandLine_(std::move(commandLine)) {}
  std::string Path() const override { return path_; }
  std::string Title() const override { return "Vesperon"; }
  int Major() const override;
  int Minor() const override;
  int Revision() const override;
  std::string CommandLine() const override { return commandLine_; }
  std::vector<std::string> UserLanguages() const override;
  // Ends the process at once, as the Windows program does: no window hears of it.
  [[noreturn]] void End() override;

 private:
  std::string path_;
  std::string commandLine_;
};

// The arguments after the program's name, joined by single blanks.
std::string JoinArguments(int argc, const char* const* argv);

// Local time from the C library, so that the time zone and a faked clock are honoured.
class QtClock : public Clock {
 public:
  LocalTime Now() const override;
  // CLOCK_BOOTTIME: a duration goes on while the computer sleeps, as on Windows.
  int64_t Elapsed() const override;
};

}  // namespace duskline::qt
