// Stand-ins for the backend's parts that are built elsewhere: a system whose actions are
// refused, a service that cannot be installed.
#include "platform/qt/Backend_qt.h"

namespace duskline::qt {
namespace {

class NoSystem : public SystemApi {
 public:
  uint32_t GetVersion() override { return 0x0A; }
  void SetLastError(uint32_t code) override { lastError_ = code; }
  uint32_t GetLastError() override { return lastError_; }
  std::string ErrorText(uint32_t) override { return {}; }
  std::intptr_t GetCurrentProcess() override { return -1; }
  bool OpenProcessToken(std::intptr_t, uint32_t, std::intptr_t* token) override {
    *token = 1;
    return true;
  }
  bool LookupPrivilegeValueA(const std::string&, const std::string&, uint64_t* luid) override {
    *luid = 0;
    return true;
  }
  bool AdjustTokenPrivileges(std::intptr_t, bool, const TokenPrivileges&, uint32_t,
                             TokenPrivileges*, uint32_t*) override {
    lastError_ = 0;
    return true;
  }
  bool ExitWindowsEx(uint32_t, uint32_t) override { return false; }
  bool SetSuspendState(bool, bool, bool) override { return false; }
  bool IsPwrHibernateAllowed() override { return false; }
  bool LockWorkStation() override { return false; }
  bool SetWindowPos(WindowHandle, std::intptr_t, int, int, int, int, uint32_t) override {
    return false;
  }

 private:
  uint32_t lastError_ = 0;
};

class NoService : public ServiceControl {
 public:
  std::string ServiceDisplayName() const override { return "Duskline"; }
  bool DesktopInteraction() const override { return false; }
  void SetDesktopInteraction(bool) override {}
  void SetDebugMode(bool) override {}
  void SetAcceptedRequests(int32_t) override {}
  bool InstallService() override { return false; }
  bool UninstallService() override { return false; }
  void StoreParameter(const std::string&, const std::string&, const std::string&) override {}
  void RunService() override {}
  void WriteEventLogEntry(int16_t, int32_t, const std::string&) override {}
  bool InSessionZero() override { return false; }
  bool SendConsoleMessage(const std::string&, const std::string&, uint32_t) override {
    return false;
  }
  bool LogoffConsoleSession() override { return false; }
  bool DisconnectConsoleSession() override { return false; }
  std::string WritableByUsers() override { return {}; }
};

}  // namespace

std::unique_ptr<SystemApi> CreateSystemApi(std::function<void()>) {
  return std::make_unique<NoSystem>();
}

std::unique_ptr<ServiceControl> CreateServiceControl(const std::string&) {
  return std::make_unique<NoService>();
}

}  // namespace duskline::qt
