// A stand-in for the program under the service control manager, and the manager's client that
// drives a service through start, pause, continue and stop.
//   service_probe -install | -uninstall   register or remove itself as "Orvanta Vesperon"
//   service_probe -control                start, pause, continue and stop the service
//   service_probe                         the service: writes one entry per event, like Main
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/ServiceControl_win.h"

namespace {

using duskline::win32::ServiceHost;

bool WaitForState(SC_HANDLE service, DWORD wanted) {
  const ULONGLONG deadline = GetTickCount64() + 30000;
  SERVICE_STATUS status{};
  while (GetTickCount64() < deadline && QueryServiceStatus(service, &status)) {
    if (status.dwCurrentState == wanted) return true;
    Sleep(100);
  }
  std::printf("state %lu, wanted %lu\n", status.dwCurrentState, wanted);
  return false;
}

int Control() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service =
      OpenServiceW(manager, duskline::win32::kServiceName,
                   SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS);
  if (service == nullptr) {
    std::printf("open failed: %lu\n", GetLastError());
    return 1;
  }
  const struct {
    const char* name;
    DWORD control;  // 0: start
    DWORD wanted;
  } steps[] = {{"start", 0, SERVICE_RUNNING},
               {"pause", SERVICE_CONTROL_PAUSE, SERVICE_PAUSED},
               {"continue", SERVICE_CONTROL_CONTINUE, SERVICE_RUNNING},
               {"stop", SERVICE_CONTROL_STOP, SERVICE_STOPPED}};
  for (const auto& step : steps) {
    SERVICE_STATUS status{};
    const BOOL sent = step.control == 0 ? StartServiceW(service, 0, nullptr)
                                        : ControlService(service, step.control, &status);
    if (!sent || !WaitForState(service, step.wanted)) {
      std::printf("%s failed: %lu\n", step.name, GetLastError());
      return 1;
    }
    std::printf("%s: ok\n", step.name);
  }
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return 0;
}

int RunAsService() {
  ServiceHost host(GetModuleHandleW(nullptr));
  host.SetAcceptedRequests(2);
  auto entry = [&host](const char* text) {
    return [&host, text](bool& success) {
      success = true;
      host.WriteEventLogEntry(4, 110, text);
    };
  };
  host.ServiceStarted = entry("Service started");
  host.ServicePaused = entry("Service paused");
  host.ServiceContinued = entry("Service continued");
  host.ServiceStopped = [&] {
    host.WriteEventLogEntry(4, 110, "Service stopped");
    ExitProcess(0);  // what unloading Main does
  };
  host.RunService();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

int Report(const char* what, bool done) {
  std::printf("%s: %s\n", what, done ? "ok" : "failed");
  return done ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  ServiceHost host(GetModuleHandleW(nullptr));
  if (command == L"-install") {
    const bool installed = host.InstallService();
    if (installed) host.StoreParameter("Parameters", "TimerInterval", "1000");
    return Report("install", installed);
  }
  if (command == L"-uninstall") return Report("uninstall", host.UninstallService());
  if (command == L"-control") return Control();
  return RunAsService();
}
