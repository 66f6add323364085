// The service control with one Windows call made to fail at a time, against the real service
// control manager and registry of the Wine prefix: registration says False and leaves nothing
// half done, removal says False while the service is still there, and the event log loses an
// entry quietly. The program then shows the failure message.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

#include "platform/test/Fakes.h"
#include "platform/win32/ServiceControl_win.h"
#include "scheduler/Main.h"

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
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
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

using Breakage = std::function<void(ServiceSystemCalls&)>;

struct RegistrationCase {
  std::string name;
  Breakage breakage;
  bool result;
  bool registeredAfter;
  bool eventSourceAfter;
};

void PrintTo(const RegistrationCase& c, std::ostream* os) {
  *os << c.name;
}

class ServiceFaultTest : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    ServiceHost(GetModuleHandleW(nullptr)).UninstallService();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEventSourceKey);
  }
  static ServiceSystemCalls Broken(const Breakage& breakage) {
    ServiceSystemCalls calls;
    breakage(calls);
    return calls;
  }
};

class InstallFaultTest : public ServiceFaultTest,
                         public testing::WithParamInterface<RegistrationCase> {};

TEST_P(InstallFaultTest, FalseAndNothingLeftThenAHealthyInstallWorks) {
  const RegistrationCase& c = GetParam();
  ServiceHost broken(GetModuleHandleW(nullptr), {}, Broken(c.breakage));
  EXPECT_EQ(broken.InstallService(), c.result);
  EXPECT_EQ(Registered(), c.registeredAfter);
  EXPECT_EQ(EventSourceThere(), c.eventSourceAfter);

  ServiceHost healthy(GetModuleHandleW(nullptr));
  EXPECT_TRUE(healthy.InstallService()) << "the next attempt starts clean";
  EXPECT_TRUE(EventSourceThere());
}

#define BREAK(member, result) \
  [](ServiceSystemCalls& calls) { calls.member = Failing(calls.member, result); }

INSTANTIATE_TEST_SUITE_P(
    Calls, InstallFaultTest,
    testing::Values(
        RegistrationCase{"OpenSCManager", BREAK(openSCManager, SC_HANDLE{}), false, false, false},
        RegistrationCase{"CreateService", BREAK(createService, SC_HANDLE{}), false, false, false},
        RegistrationCase{"EventSourceKey", BREAK(regCreateKeyEx, LSTATUS{ERROR_ACCESS_DENIED}),
                         false, false, false},
        RegistrationCase{"EventSourceValue", BREAK(regSetValueEx, LSTATUS{ERROR_ACCESS_DENIED}),
                         false, false, false}),
    [](const testing::TestParamInfo<RegistrationCase>& info) { return info.param.name; });

class UninstallFaultTest : public ServiceFaultTest,
                           public testing::WithParamInterface<RegistrationCase> {};

TEST_P(UninstallFaultTest, FalseOnlyWhileTheServiceIsStillThere) {
  const RegistrationCase& c = GetParam();
  ASSERT_TRUE(ServiceHost(GetModuleHandleW(nullptr)).InstallService());
  ServiceHost broken(GetModuleHandleW(nullptr), {}, Broken(c.breakage));
  EXPECT_EQ(broken.UninstallService(), c.result);
  EXPECT_EQ(Registered(), c.registeredAfter);
  EXPECT_EQ(EventSourceThere(), c.eventSourceAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, UninstallFaultTest,
    testing::Values(
        RegistrationCase{"OpenSCManager", BREAK(openSCManager, SC_HANDLE{}), false, true, true},
        RegistrationCase{"OpenService", BREAK(openService, SC_HANDLE{}), false, true, true},
        RegistrationCase{"DeleteService", BREAK(deleteService, BOOL{FALSE}), false, true, true},
        // The registration is gone: that is what the message reports.
        RegistrationCase{"EventSourceKey", BREAK(regDeleteKey, LSTATUS{ERROR_ACCESS_DENIED}), true,
                         false, true}),
    [](const testing::TestParamInfo<RegistrationCase>& info) { return info.param.name; });

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

// The whole road: "-install" with the manager refusing gives the failure message and the end.
TEST_F(ServiceFaultTest, InstallSwitchShowsTheFailureMessage) {
  fakes::FakePlatform fake;
  fake.app.commandLine = "-install";
  ServiceHost host(GetModuleHandleW(nullptr), {}, Broken(BREAK(createService, SC_HANDLE{})));
  Platform platform{fake.app, fake.windows, fake.clock, fake.ini,
                    fake.api, fake.tray,    host,       fake.events};
  Main main(platform);
  EXPECT_THROW(main.Start(), fakes::ProgramEnded);
  EXPECT_EQ(fake.windows.messageBoxes,
            (std::vector<fakes::MessageBoxRecord>{
                {"Orvanta Duskline konnte nicht installiert werden.", "Vesperon"}}));
  EXPECT_FALSE(Registered());
}

#undef BREAK

}  // namespace
}  // namespace duskline::win32
