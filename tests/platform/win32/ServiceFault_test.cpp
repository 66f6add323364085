// The service control with one Windows call failing at a time, against the service control
// manager and registry of the Wine prefix.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

#include "platform/win32/ServiceControl_win.h"

namespace duskline::win32 {
namespace {

bool Registered() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_QUERY_STATUS);
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return service != nullptr;
}

bool EventSourceThere() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// Fails the way Windows does: a null handle or FALSE with the last-error code, or the code.
template <typename R, typename... Args>
std::function<R(Args...)> Failing(const std::function<R(Args...)>&,
                                  std::type_identity_t<R> result) {
  return [result](Args...) {
    SetLastError(ERROR_ACCESS_DENIED);
    return result;
  };
}

struct RegistrationCase {
  std::string name;
  bool uninstall;
  std::function<void(ServiceSystemCalls&)> breakage;
  bool result, registeredAfter, eventSourceAfter;
};

void PrintTo(const RegistrationCase& c, std::ostream* os) {
  *os << c.name;
}

class RegistrationFaultTest : public testing::TestWithParam<RegistrationCase> {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    ServiceHost(GetModuleHandleW(nullptr)).UninstallService();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEventSourceKey);
  }
};

// An install says False and leaves nothing half done, so the next one works; a removal says
// False only while the service is still there.
TEST_P(RegistrationFaultTest, TheAnswerTellsWhatIsLeftAndTheNextAttemptWorks) {
  const RegistrationCase& c = GetParam();
  ServiceHost healthy(GetModuleHandleW(nullptr));
  if (c.uninstall) {
    ASSERT_TRUE(healthy.InstallService());
  }
  ServiceSystemCalls calls;
  c.breakage(calls);
  ServiceHost broken(GetModuleHandleW(nullptr), {}, calls);
  EXPECT_EQ(c.uninstall ? broken.UninstallService() : broken.InstallService(), c.result);
  EXPECT_EQ(Registered(), c.registeredAfter);
  EXPECT_EQ(EventSourceThere(), c.eventSourceAfter);
  if (c.uninstall) return;
  EXPECT_TRUE(healthy.InstallService()) << "the next attempt starts clean";
  EXPECT_TRUE(EventSourceThere());
}

#define BREAK(member, result) \
  [](ServiceSystemCalls& calls) { calls.member = Failing(calls.member, result); }

constexpr LSTATUS kDenied = ERROR_ACCESS_DENIED;

INSTANTIATE_TEST_SUITE_P(
    Calls, RegistrationFaultTest,
    testing::Values(RegistrationCase{"InstallOpenSCManager", false,
                                     BREAK(openSCManager, SC_HANDLE{}), false, false, false},
                    RegistrationCase{"InstallCreateService", false,
                                     BREAK(createService, SC_HANDLE{}), false, false, false},
                    RegistrationCase{"InstallEventSourceKey", false, BREAK(regCreateKeyEx, kDenied),
                                     false, false, false},
                    RegistrationCase{"InstallEventSourceValue", false,
                                     BREAK(regSetValueEx, kDenied), false, false, false},
                    RegistrationCase{"UninstallOpenSCManager", true,
                                     BREAK(openSCManager, SC_HANDLE{}), false, true, true},
                    RegistrationCase{"UninstallOpenService", true, BREAK(openService, SC_HANDLE{}),
                                     false, true, true},
                    RegistrationCase{"UninstallDeleteService", true,
                                     BREAK(deleteService, BOOL{FALSE}), false, true, true},
                    // The registration is gone: that is what the message reports.
                    RegistrationCase{"UninstallEventSourceKey", true, BREAK(regDeleteKey, kDenied),
                                     true, false, true}),
    [](const testing::TestParamInfo<RegistrationCase>& info) { return info.param.name; });

#undef BREAK

TEST(EventLogFaultTest, AnEntryThatCannotBeWrittenIsLostQuietly) {
  for (bool sourceRefused : {true, false}) {
    int reports = 0, registered = 0, deregistered = 0;
    ServiceSystemCalls calls;
    calls.registerEventSource = [&](LPCWSTR server, LPCWSTR source) -> HANDLE {
      if (sourceRefused) return nullptr;
      ++registered;
      return RegisterEventSourceW(server, source);
    };
    calls.reportEvent = [&](HANDLE, WORD, WORD, DWORD, PSID, WORD, DWORD, LPCWSTR*, LPVOID) {
      ++reports;
      SetLastError(ERROR_LOG_FILE_FULL);
      return FALSE;
    };
    calls.deregisterEventSource = [&](HANDLE source) {
      ++deregistered;
      return DeregisterEventSource(source);
    };
    ServiceHost host(GetModuleHandleW(nullptr), {}, calls);
    EXPECT_NO_THROW(host.WriteEventLogEntry(109, 1, "[380] Invalid property value"));
    EXPECT_NO_THROW(host.WriteEventLogEntry(4, 110, "Service started"));
    EXPECT_EQ(reports, sourceRefused ? 0 : 2);
    EXPECT_EQ(deregistered, registered) << "no source handle is left open";
  }
}

}  // namespace
}  // namespace duskline::win32
