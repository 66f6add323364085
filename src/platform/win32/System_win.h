// The application, the clock and the Windows functions the program calls by name.
#pragma once

#include "platform/System.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

class Win32App : public App {
 public:
  explicit Win32App(HINSTANCE instance);
  std::string Path() const override { return path_; }
  std::string Title() const override { return "Vesperon"; }
  int Major() const override { return major_; }
  int Minor() const override { return minor_; }
  int Revision() const override { return revision_; }
  std::string CommandLine() const override { return commandLine_; }
  std::vector<std::string> UserLanguages() const override;
  [[noreturn]] void End() override;

 private:
  std::string path_;
  std::string commandLine_;
  int major_ = 0, minor_ = 0, revision_ = 0;
};

// The folder of a module path: without the trailing backslash, except at a drive's root,
// where it is "C:\".
std::wstring FolderOf(const std::wstring& modulePath);

// The arguments of a command line: what follows the program's name (quoted or not) and the
// blanks after it, unchanged.
std::wstring ArgumentsOf(const std::wstring& commandLine);

class Win32Clock : public Clock {
 public:
  LocalTime Now() const override;
};

class Win32SystemApi : public SystemApi {
 public:
  uint32_t GetVersion() override;
  void SetLastError(uint32_t code) override;
  uint32_t GetLastError() override;
  std::string ErrorText(uint32_t code) override;
  std::intptr_t GetCurrentProcess() override;
  bool OpenProcessToken(std::intptr_t process, uint32_t desiredAccess,
                        std::intptr_t* token) override;
  bool LookupPrivilegeValueA(const std::string& systemName, const std::string& privilegeName,
                             uint64_t* luid) override;
  bool AdjustTokenPrivileges(std::intptr_t token, bool disableAll, const TokenPrivileges& newState,
                             uint32_t bufferLength, TokenPrivileges* previousState,
                             uint32_t* returnLength) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;
  bool SetSuspendState(bool hibernate, bool force, bool wakeupEventsDisabled) override;
  bool IsPwrHibernateAllowed() override;
  bool LockWorkStation() override;
  bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                    uint32_t flags) override;
};

}  // namespace duskline::win32
