// The service control for Win32: registration with the service control manager and the event
// log, the manager's dispatcher on a thread of its own, the lifecycle events raised on the
// user-interface thread, and event-log entries.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Service.h"
#include "platform/win32/ServiceConfig_win.h"

namespace duskline::win32 {

// The Windows functions of registration and of the event log, each replaceable so that a test
// can make it fail. A replacement either fails or calls the real function: the handles it
// returns are closed by the real CloseServiceHandle and RegCloseKey.
struct ServiceSystemCalls {
  std::function<SC_HANDLE(LPCWSTR, LPCWSTR, DWORD)> openSCManager = ::OpenSCManagerW;
  std::function<SC_HANDLE(SC_HANDLE, LPCWSTR, LPCWSTR, DWORD, DWORD, DWORD, DWORD, LPCWSTR, LPCWSTR,
                          LPDWORD, LPCWSTR, LPCWSTR, LPCWSTR)>
      createService = ::CreateServiceW;
  std::function<SC_HANDLE(SC_HANDLE, LPCWSTR, DWORD)> openService = ::OpenServiceW;
  std::function<BOOL(SC_HANDLE)> deleteService = ::DeleteService;
  std::function<LSTATUS(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, const LPSECURITY_ATTRIBUTES,
                        PHKEY, LPDWORD)>
      regCreateKeyEx = ::RegCreateKeyExW;
  std::function<LSTATUS(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD)> regSetValueEx =
      ::RegSetValueExW;
  std::function<LSTATUS(HKEY, LPCWSTR)> regDeleteKey = ::RegDeleteKeyW;
  std::function<HANDLE(LPCWSTR, LPCWSTR)> registerEventSource = ::RegisterEventSourceW;
  std::function<BOOL(HANDLE, WORD, WORD, DWORD, PSID, WORD, DWORD, LPCWSTR*, LPVOID)> reportEvent =
      ::ReportEventW;
  std::function<BOOL(HANDLE)> deregisterEventSource = ::DeregisterEventSource;
};

// Windows' own slim lock (with its condition variable and thread, below): std::mutex,
// std::condition_variable and std::thread would link the library's thread and system_error
// support into the program. Usable with std::lock_guard.
class SlimLock {
 public:
  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* Get() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

// The event-log type of an entry: 109 (the error traps) is an error, the event-log types
// themselves stand for themselves, anything else (4 among them) is information.
WORD EventLogType(int16_t eventType);

// The one place where the service's state changes and reaches the manager. Pending states
// count their check point up; nothing is reported after STOPPED.
class ServiceStatusReporter {
 public:
  using Sink = std::function<void(const SERVICE_STATUS&)>;
  static constexpr DWORD kWaitHint = 30000;

  explicit ServiceStatusReporter(Sink sink);
  void SetAcceptedControls(DWORD controls);
  void Report(DWORD state, DWORD exitCode = NO_ERROR);
  void Repeat();  // for an interrogation
  DWORD State() const;

 private:
  mutable SlimLock lock_;
  Sink sink_;
  SERVICE_STATUS status_{};
  DWORD accepted_ = SERVICE_ACCEPT_STOP;
  bool stopped_ = false;
};

class ServiceHost : public ServiceControl {
 public:
  enum class Request : WPARAM { kStart = 1, kPause, kContinue, kStop };
  static constexpr UINT kRequestMessage = WM_APP + 2;
  static constexpr UINT kConsoleMessage = WM_APP + 3;  // the console's answer in wParam
  static constexpr UINT kDispatchMessage = WM_APP + 4;

  // The status sink is a parameter so that a test can play the service control manager; by
  // default it is SetServiceStatus with the handle this process was given.
  explicit ServiceHost(HINSTANCE instance, ServiceStatusReporter::Sink sink = {},
                       ServiceSystemCalls calls = {});
  ~ServiceHost() override;
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;

  // The process ends now: a service that it runs is stopped. Reported only here, once nothing
  // is left to do, so that whoever waits for STOPPED (an uninstaller) finds the program file
  // free at once.
  static void ReportProcessEnd();

  std::string ServiceDisplayName() const override;
  bool DesktopInteraction() const override;
  void SetDesktopInteraction(bool value) override;
  // Remembered only: started from the command line the dispatcher fails at once anyway.
  void SetDebugMode(bool value) override;
  void SetAcceptedRequests(int32_t requests) override;
  bool InstallService() override;
  bool UninstallService() override;
  void StoreParameter(const std::string& section, const std::string& key,
                      const std::string& value) override;
  void RunService() override;
  void WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) override;
  bool InSessionZero() override;
  bool SendConsoleMessage(const std::string& caption, const std::string& text,
                          uint32_t timeoutSeconds, bool offerCancel) override;
  bool LogoffConsoleSession() override;
  bool DisconnectConsoleSession() override;
  std::string WritableByUsers() override;

  bool DebugMode() const { return debugMode_; }
  DWORD State() const { return status_.State(); }

  // What the manager's threads do: ServiceMain after registering its handler, and the
  // control handler. Public so that a test can play those threads.
  void OnServiceMain();
  DWORD OnControl(DWORD control);

 private:
  static void WINAPI ServiceMain(DWORD argc, LPWSTR* argv);
  static DWORD WINAPI ControlHandler(DWORD control, DWORD eventType, LPVOID eventData,
                                     LPVOID context);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI Dispatch(LPVOID);
  void StartDispatcher();

  // Service side: hands a request to the user-interface thread and waits for its answer.
  bool Ask(Request request);
  // User-interface side: raises the event and answers.
  void OnRequest(Request request);
  void Answer(bool success);

  // The event source whose entries the Event Viewer reads through our message table.
  bool RegisterEventLogSource(const std::wstring& modulePath);

  static std::atomic<ServiceHost*> instance_;  // ServiceMain takes no context

  ServiceSystemCalls calls_;
  HWND window_ = nullptr;
  std::atomic<SERVICE_STATUS_HANDLE> statusHandle_{nullptr};  // set on the ServiceMain thread
  ServiceStatusReporter status_;
  bool desktopInteraction_ = false;
  bool debugMode_ = false;
  DWORD acceptedControls_ = SERVICE_ACCEPT_STOP;
  HANDLE dispatcher_ = nullptr;  // the thread that runs the manager's dispatcher

  SlimLock askLock_;  // one request at a time
  SlimLock lock_;
  CONDITION_VARIABLE answered_ = CONDITION_VARIABLE_INIT;
  bool hasAnswer_ = false;
  bool answer_ = false;
  bool closing_ = false;
};

}  // namespace duskline::win32
