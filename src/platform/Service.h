// Our service control: registers the program as a Windows service, attaches it to the
// service control manager, raises the lifecycle events on the user-interface thread and
// writes event-log entries.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace duskline {

inline constexpr int kConsoleCancel = 2;  // IDCANCEL

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;
  virtual std::string ServiceDisplayName() const = 0;
  virtual bool DesktopInteraction() const = 0;
  virtual void SetDesktopInteraction(bool value) = 0;
  virtual void SetDebugMode(bool value) = 0;
  virtual void SetAcceptedRequests(int32_t requests) = 0;
  virtual bool InstallService() = 0;
  virtual bool UninstallService() = 0;
  virtual void StoreParameter(const std::string& section, const std::string& key,
                              const std::string& value) = 0;
  // Attaches to the service control manager when it started the process; returns at once.
  virtual void RunService() = 0;
  // Status entries pass 4 and 110, error entries 109 and 1.
  virtual void WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) = 0;

  // Since Windows Vista a service runs in session 0, which nobody sees; the person at the
  // machine is in the active console session. Each call fails safe: false means "not there".
  virtual bool InSessionZero() = 0;
  // A message box in the active console session, OK and, where the countdown may be stopped,
  // Cancel, answered by ConsoleAnswered (kConsoleCancel among the answers) unless it cannot be
  // sent.
  virtual bool SendConsoleMessage(const std::string& caption, const std::string& text,
                                  uint32_t timeoutSeconds, bool offerCancel) = 0;
  virtual bool LogoffConsoleSession() = 0;
  // Disconnecting the console session leaves its lock screen in front of it.
  virtual bool DisconnectConsoleSession() = 0;
  // Why someone other than the administrators and the system could replace the program or
  // its folder; empty when nobody else can, or when that cannot be told.
  virtual std::string WritableByUsers() = 0;

  // The handler sets the flag to True to accept the request.
  std::function<void(bool& success)> ServiceStarted;
  std::function<void(bool& success)> ServicePaused;
  std::function<void(bool& success)> ServiceContinued;
  std::function<void()> ServiceStopped;
  std::function<void(int)> ConsoleAnswered;
};

}  // namespace duskline
