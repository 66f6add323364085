#include "platform/win32/ServiceControl_win.h"

#include "platform/win32/Controls_win.h"

namespace duskline::win32 {

ServiceHost::ServiceHost(HINSTANCE instance) : instance_(instance) {}
ServiceHost::~ServiceHost() = default;

std::string ServiceHost::ServiceDisplayName() const {
  return "Orvanta Duskline";
}
bool ServiceHost::DesktopInteraction() const {
  return desktopInteraction_;
}
void ServiceHost::SetDesktopInteraction(bool value) {
  desktopInteraction_ = value;
}
void ServiceHost::SetDebugMode(bool) {}
void ServiceHost::SetAcceptedRequests(int32_t) {}
bool ServiceHost::InstallService() {
  return false;
}
bool ServiceHost::UninstallService() {
  return false;
}
void ServiceHost::StoreParameter(const std::string&, const std::string&, const std::string&) {}
void ServiceHost::RunService() {}
void ServiceHost::WriteEventLogEntry(int16_t, int32_t, const std::string&) {}

std::unique_ptr<ServiceControl> CreateServiceControl(HINSTANCE instance) {
  return std::make_unique<ServiceHost>(instance);
}

}  // namespace duskline::win32
