// Fakes of the application object, the Windows functions, the tray icon, the service control
// and the INI functions. Each records what the program asked of it, in order, and can be told
// to fail.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/test/FakeFailures.h"
#include "platform/Ini.h"
#include "platform/Runtime.h"
#include "platform/Service.h"
#include "platform/System.h"
#include "platform/Tray.h"

namespace duskline::fakes {

// Thrown by FakeApp::End: the program ended, nothing after the call runs. Not a RuntimeError,
// so no trap or dispatcher takes it.
class ProgramEnded : public std::runtime_error {
 public:
  ProgramEnded() : std::runtime_error("the program ended") {}
};

class FakeApp : public App {
 public:
  std::string Path() const override { return path; }
  std::string Title() const override { return "Vesperon"; }
  int Major() const override { return 1; }
  int Minor() const override { return 1; }
  int Revision() const override { return 0; }
  std::string CommandLine() const override { return commandLine; }
  [[noreturn]] void End() override;

  std::string path = "C:\\Program Files\\Duskline";
  std::string commandLine;
  int ends = 0;
};

struct ExitWindowsCall {
  uint32_t flags;
  uint32_t reserved;
  bool operator==(const ExitWindowsCall&) const = default;
};

class FakeSystemApi : public SystemApi {
 public:
  static constexpr uint32_t kWindowsNt = 0x1DB10106;  // bit 31 clear
  static constexpr uint32_t kWindows95 = 0xC3B60004;  // bit 31 set
  static constexpr std::intptr_t kProcess = -1;
  static constexpr std::intptr_t kToken = 0x2C;
  static constexpr uint64_t kShutdownLuid = 0x13;

  uint32_t GetVersion() override;
  void SetLastError(uint32_t code) override;
  uint32_t GetLastError() override;
  std::intptr_t GetCurrentProcess() override;
  bool OpenProcessToken(std::intptr_t process, uint32_t desiredAccess,
                        std::intptr_t* token) override;
  bool LookupPrivilegeValueA(const std::string& systemName, const std::string& privilegeName,
                             uint64_t* luid) override;
  bool AdjustTokenPrivileges(std::intptr_t token, bool disableAll, const TokenPrivileges& newState,
                             uint32_t bufferLength, TokenPrivileges* previousState,
                             uint32_t* returnLength) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;
  bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                    uint32_t flags) override;

  // The calls with their arguments, e.g. "OpenProcessToken -1 40".
  std::vector<std::string> calls;
  std::vector<ExitWindowsCall> exits;
  uint32_t version = kWindowsNt;
  // After a call of that name the thread's last-error code is set to the code.
  std::map<std::string, uint32_t> errorAfter;
  // Calls of these names return FALSE and leave their out-values untouched, as a refusing
  // Windows would.
  std::set<std::string> refused;
  FailurePlan failures;
  uint32_t lastError = 0;
  // Window handle to insert-after of the last SetWindowPos per window.
  std::map<WindowHandle, std::intptr_t> zOrder;

 private:
  void Record(const std::string& call, const std::string& name);
};

class FakeTray : public TrayIcon {
 public:
  void SetAnimationInterval(int16_t milliseconds) override;
  void SetIconCode(int32_t code) override;
  void SetTipText(const std::string& text) override;
  void SetAnimationMode(int16_t mode) override;
  bool Animating() const override;
  void RemoveIcon() override;
  void ToggleAnimation() override;
  void AddIcon() override;

  // The user activates the icon.
  void Activate();

  // Every write and call in order: "AnimationInterval=1000", "ToggleAnimation", ...
  std::vector<std::string> log;
  FailurePlan failures;
  bool shown = false;
  bool animating = false;
  std::string tipText = "Duskline";
  int16_t animationInterval = 500;
  int16_t animationMode = 0;
  int32_t iconCode = 99;

 private:
  void Record(const std::string& entry);
};

struct EventLogEntry {
  int16_t eventType;
  int32_t eventId;
  std::string text;
  bool operator==(const EventLogEntry&) const = default;
};

class FakeService : public ServiceControl {
 public:
  std::string ServiceDisplayName() const override;
  bool DesktopInteraction() const override;
  void SetDesktopInteraction(bool value) override;
  void SetDebugMode(bool value) override;
  void SetAcceptedRequests(int32_t requests) override;
  bool InstallService() override;
  bool UninstallService() override;
  void StoreParameter(const std::string& section, const std::string& key,
                      const std::string& value) override;
  void RunService() override;
  void WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) override;

  // The service control manager's requests; each returns the success flag the handler left.
  bool Start(bool flag = false);
  bool Pause(bool flag = false);
  bool Continue(bool flag = false);
  void Stop();

  // Calls, property reads and writes in order: "InstallService", "DebugMode=1", ...
  mutable std::vector<std::string> log;
  std::vector<EventLogEntry> entries;
  FailurePlan failures;
  std::string displayName = "Orvanta Duskline";
  bool desktopInteraction = false;
  bool debugMode = false;
  int32_t acceptedRequests = 0;
  bool installResult = true;
  bool uninstallResult = true;

 private:
  void Record(const std::string& entry) const;
};

struct IniWrite {
  std::string file, section;
  std::optional<std::string> key, value;
  bool operator==(const IniWrite&) const = default;
};

// INI files in memory: file -> section -> key -> value.
class FakeIni : public IniFunctions {
 public:
  uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, char* buffer, uint32_t size,
                                   const std::string& fileName) override;
  bool WritePrivateProfileString(const std::string& section, const std::optional<std::string>& key,
                                 const std::optional<std::string>& value,
                                 const std::string& fileName) override;

  // The stored value, or nullopt when missing.
  std::optional<std::string> Value(const std::string& file, const std::string& section,
                                   const std::string& key) const;

  std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> files;
  std::vector<IniWrite> writes;
  int reads = 0;
  // Reads see no file (an unreadable one gives the default); writes store nothing and return
  // false (a read-only file, a missing folder).
  bool readsFail = false;
  bool writesFail = false;
};

}  // namespace duskline::fakes
