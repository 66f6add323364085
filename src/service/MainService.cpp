// Main's service host: the service switches of the command line, the load event's trap and
// the four lifecycle handlers with their event-log entries.
#include "scheduler/Main.h"

namespace duskline {

namespace {

constexpr int32_t kAcceptPauseContinue = 2;
constexpr int16_t kStatusEventType = 4;
constexpr int32_t kStatusEventId = 110;
constexpr int16_t kErrorEventType = 109;
constexpr int32_t kErrorEventId = 1;
// EVENTLOG_WARNING_TYPE, with the message of its own in the event-log messages.
constexpr int16_t kWarningEventType = 2;
constexpr int32_t kWarningEventId = 111;

}  // namespace

void Main::RunServiceCommands(const std::string& arguments) {
  ServiceControl& service = platform_.service;
  const std::string displayName = service.ServiceDisplayName();

  if (arguments == "-install" || arguments == "-uninstall") {
    std::string message;
    if (arguments == "-install") {
      service.SetDesktopInteraction(true);
      // Run as the system, a program that others can replace runs their code as the system.
      const std::string writable = service.WritableByUsers();
      if (!writable.empty()) {
        service.WriteEventLogEntry(kErrorEventType, kErrorEventId,
                                   "Not installed: " + writable +
                                       ". Put the program in a folder that only administrators "
                                       "can change, such as one under Program Files.");
      }
      if (writable.empty() && service.InstallService()) {
        service.StoreParameter("Parameters", "TimerInterval", "1000");
        message = displayName + " erfolgreich installiert.";
      } else {
        message = displayName + " konnte nicht installiert werden.";
      }
    } else {
      message = service.UninstallService() ? displayName + " erfolgreich deinstalliert."
                                           : displayName + " konnte nicht deinstalliert werden.";
    }
    platform_.windows.MessageBox(message, platform_.app.Title());
    platform_.app.End();
  }
  if (arguments == "-debug") service.SetDebugMode(true);

  service.SetAcceptedRequests(kAcceptPauseContinue);
  service.RunService();
}

void Main::ConsoleMessage_Answered(int answer) {
  // Cancel at the console is the countdown's Stop.
  if (answer == kConsoleCancel && !policy_.noStop) platform_.app.End();
}

void Main::ReportLoadError(const RuntimeError& error) {
  const std::string report = ErrorReport(error);
  if (platform_.service.DesktopInteraction()) {
    platform_.windows.MessageBox(report, platform_.app.Title());
    platform_.app.End();
  } else {
    platform_.service.WriteEventLogEntry(kErrorEventType, kErrorEventId, report);
  }
}

void Main::ReportActionError(const std::string& logged, const std::string& shown) {
  if (platform_.service.InSessionZero()) {
    platform_.service.WriteEventLogEntry(kErrorEventType, kErrorEventId, logged);
  } else {
    platform_.windows.MessageBox(shown, platform_.app.Title());
  }
}

void Main::ReportServiceError(const RuntimeError& error) {
  platform_.service.WriteEventLogEntry(kErrorEventType, kErrorEventId, ErrorReport(error));
}

void Main::WriteStatusEntry(const std::string& text) {
  platform_.service.WriteEventLogEntry(kStatusEventType, kStatusEventId, text);
}

void Main::WriteWarningEntry(const std::string& text) {
  platform_.service.WriteEventLogEntry(kWarningEventType, kWarningEventId, text);
}

void Main::NTService1_ServiceStarted(bool& success) {
  try {
    success = true;
    tmrAutoHide().SetEnabled(true);
    form_->ControlNamed("Frame1").SetVisible(false);
    gblnScheduleLocked_ = true;
    EnableFields();
    WriteStatusEntry("Service started");
  } catch (const RuntimeError& error) {
    ReportServiceError(error);
  }
}

void Main::NTService1_ServicePaused(bool& success) {
  try {
    tmrCheck().SetEnabled(false);
    WriteStatusEntry("Service paused");
    success = true;
  } catch (const RuntimeError& error) {
    ReportServiceError(error);
  }
}

void Main::NTService1_ServiceContinued(bool& success) {
  try {
    success = true;
    tmrCheck().SetEnabled(true);
    CheckOnNextSecond();
    WriteStatusEntry("Service continued");
  } catch (const RuntimeError& error) {
    ReportServiceError(error);
  }
}

void Main::NTService1_ServiceStopped() {
  try {
    WriteStatusEntry("Service stopped");
    Form_Unload();
  } catch (const RuntimeError& error) {
    ReportServiceError(error);
  }
}

}  // namespace duskline
