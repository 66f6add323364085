// The service control for Win32: registration, the service control manager's dispatcher on
// a thread of its own, lifecycle events on the user-interface thread, event-log entries.
#pragma once

#include <windows.h>

#include "platform/Service.h"

namespace duskline::win32 {

class ServiceHost : public ServiceControl {
 public:
  explicit ServiceHost(HINSTANCE instance);
  ~ServiceHost() override;
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;

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

 private:
  HINSTANCE instance_;
  bool desktopInteraction_ = false;
};

}  // namespace duskline::win32
