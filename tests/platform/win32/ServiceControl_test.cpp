#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/Runtime.h"
#include "platform/win32/Controls_win.h"
#include "platform/win32/ServiceControl_win.h"

namespace duskline::win32 {
namespace {

// Plays the service control manager: records every status and, in the same order, what the
// handlers did on the user-interface thread.
class ServiceLifecycleTest : public ::testing::Test {
 protected:
  ServiceLifecycleTest()
      : host_(GetModuleHandleW(nullptr), [this](const SERVICE_STATUS& status) {
          std::lock_guard lock(mutex_);
          statuses_.push_back(status);
          log_.push_back("status " + std::to_string(status.dwCurrentState));
        }) {
    host_.SetAcceptedRequests(2);
    uiThread_ = GetCurrentThreadId();
    host_.ServiceStarted = [this](bool& success) { Handle("started", success, startAnswer_); };
    host_.ServicePaused = [this](bool& success) { Handle("paused", success, pauseAnswer_); };
    host_.ServiceContinued = [this](bool& success) {
      Handle("continued", success, continueAnswer_);
    };
    host_.ServiceStopped = [this] { Record("stopped"); };
  }

  void Handle(const std::string& name, bool& success, bool answer) {
    EXPECT_EQ(GetCurrentThreadId(), uiThread_) << name << " must run on the creating thread";
    EXPECT_FALSE(success) << "the flag starts False";
    success = answer;
    Record(name);
  }

  void Record(const std::string& entry) {
    std::lock_guard lock(mutex_);
    log_.push_back(entry);
  }

  // Runs the service side on a thread of its own while this thread pumps messages.
  void AsManager(const std::function<void()>& serviceSide) {
    std::atomic<bool> done = false;
    std::thread manager([&] {
      serviceSide();
      done = true;
    });
    PumpUntil(done);
    manager.join();
  }

  void PumpUntil(const std::atomic<bool>& done) {
    const ULONGLONG deadline = GetTickCount64() + 10000;
    MSG message;
    while (!done && GetTickCount64() < deadline) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    ASSERT_TRUE(done) << "the service side never finished";
  }

  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }

  std::vector<std::string> TakeLog() {
    std::lock_guard lock(mutex_);
    return std::exchange(log_, {});
  }

  void Start() {
    AsManager([this] { host_.OnServiceMain(); });
    TakeLog();
    statuses_.clear();
  }

  static std::string S(DWORD state) { return "status " + std::to_string(state); }

  std::mutex mutex_;
  std::vector<SERVICE_STATUS> statuses_;
  std::vector<std::string> log_;
  DWORD uiThread_ = 0;
  bool startAnswer_ = true;
  bool pauseAnswer_ = true;
  bool continueAnswer_ = true;
  ServiceHost host_;
};

TEST(EventLogTypeTest, ErrorEntriesAreErrorsAndStatusEntriesInformation) {
  const std::pair<int16_t, WORD> cases[] = {
      {109, EVENTLOG_ERROR_TYPE},       {4, EVENTLOG_INFORMATION_TYPE},
      {1, EVENTLOG_ERROR_TYPE},         {2, EVENTLOG_WARNING_TYPE},
      {0, EVENTLOG_INFORMATION_TYPE},   {-1, EVENTLOG_INFORMATION_TYPE},
      {110, EVENTLOG_INFORMATION_TYPE}, {EVENTLOG_AUDIT_FAILURE, EVENTLOG_AUDIT_FAILURE},
  };
  for (const auto& [type, expected] : cases) EXPECT_EQ(EventLogType(type), expected) << type;
}

TEST(ServiceStatusReporterTest, PendingStatesCountCheckPointsAndNothingFollowsStopped) {
  std::vector<SERVICE_STATUS> seen;
  ServiceStatusReporter status([&](const SERVICE_STATUS& s) { seen.push_back(s); });
  status.SetAcceptedControls(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE);
  status.Report(SERVICE_START_PENDING);
  status.Report(SERVICE_START_PENDING);
  status.Report(SERVICE_RUNNING);
  status.Report(SERVICE_STOP_PENDING);
  status.Report(SERVICE_STOPPED);
  status.Report(SERVICE_RUNNING);
  status.Repeat();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].dwCheckPoint, 1u);
  EXPECT_EQ(seen[1].dwCheckPoint, 2u);
  EXPECT_GT(seen[1].dwWaitHint, 0u);
  EXPECT_EQ(seen[0].dwControlsAccepted, 0u) << "no requests while starting";
  EXPECT_EQ(seen[2].dwCheckPoint, 0u);
  EXPECT_EQ(seen[2].dwWaitHint, 0u);
  EXPECT_EQ(seen[2].dwControlsAccepted, DWORD{SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE});
  EXPECT_EQ(seen[3].dwControlsAccepted, 0u);
  EXPECT_EQ(seen[4].dwCurrentState, DWORD{SERVICE_STOPPED});
  EXPECT_EQ(seen[4].dwServiceType, DWORD{SERVICE_WIN32_OWN_PROCESS});
  EXPECT_EQ(status.State(), DWORD{SERVICE_STOPPED});
}

TEST_F(ServiceLifecycleTest, StartReportsRunningOnlyAfterTheHandlerAccepted) {
  AsManager([this] { host_.OnServiceMain(); });
  EXPECT_EQ(TakeLog(),
            (std::vector<std::string>{S(SERVICE_START_PENDING), "started", S(SERVICE_RUNNING)}));
  EXPECT_EQ(host_.State(), DWORD{SERVICE_RUNNING});
}

TEST_F(ServiceLifecycleTest, RefusedStartStopsTheServiceWithAnError) {
  startAnswer_ = false;
  AsManager([this] { host_.OnServiceMain(); });
  EXPECT_EQ(TakeLog(),
            (std::vector<std::string>{S(SERVICE_START_PENDING), "started", S(SERVICE_STOPPED)}));
  EXPECT_EQ(statuses_.back().dwWin32ExitCode, DWORD{ERROR_SERVICE_SPECIFIC_ERROR});
}

TEST_F(ServiceLifecycleTest, PauseAndContinueReportTheNewStateAfterTheHandler) {
  Start();
  DWORD result = 0;
  AsManager([&] { result = host_.OnControl(SERVICE_CONTROL_PAUSE); });
  EXPECT_EQ(result, DWORD{NO_ERROR});
  AsManager([&] { host_.OnControl(SERVICE_CONTROL_CONTINUE); });
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{S(SERVICE_PAUSE_PENDING), "paused",
                                                 S(SERVICE_PAUSED), S(SERVICE_CONTINUE_PENDING),
                                                 "continued", S(SERVICE_RUNNING)}));
}

TEST_F(ServiceLifecycleTest, RefusedPauseAndContinueReportTheOldState) {
  Start();
  pauseAnswer_ = false;
  AsManager([&] { host_.OnControl(SERVICE_CONTROL_PAUSE); });
  EXPECT_EQ(TakeLog(),
            (std::vector<std::string>{S(SERVICE_PAUSE_PENDING), "paused", S(SERVICE_RUNNING)}));
  pauseAnswer_ = true;
  continueAnswer_ = false;
  AsManager([&] { host_.OnControl(SERVICE_CONTROL_PAUSE); });
  AsManager([&] { host_.OnControl(SERVICE_CONTROL_CONTINUE); });
  EXPECT_EQ(TakeLog().back(), S(SERVICE_PAUSED));
  EXPECT_EQ(host_.State(), DWORD{SERVICE_PAUSED});
}

TEST_F(ServiceLifecycleTest, PauseWithoutAcceptedRequestsIsNotTaken) {
  host_.SetAcceptedRequests(0);
  Start();
  EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_PAUSE), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
  EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_SHUTDOWN), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
  Pump();
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_EQ(host_.OnControl(12345), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
}

TEST_F(ServiceLifecycleTest, ContinueWhileRunningRaisesNothing) {
  Start();
  EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_CONTINUE), DWORD{NO_ERROR});
  Pump();
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{S(SERVICE_RUNNING)}));
}

TEST_F(ServiceLifecycleTest, StopReportsStoppedBeforeTheHandlerEndsTheProgram) {
  Start();
  EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_STOP), DWORD{NO_ERROR});
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{S(SERVICE_STOP_PENDING)}))
      << "the manager's thread does not wait for the handler";
  Pump();
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{S(SERVICE_STOPPED), "stopped"}));
  EXPECT_EQ(statuses_.back().dwWin32ExitCode, DWORD{NO_ERROR});
  // A second stop, or one after the program carried on, is not raised again.
  EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_STOP), DWORD{NO_ERROR});
  Pump();
  EXPECT_TRUE(TakeLog().empty());
}

TEST_F(ServiceLifecycleTest, AFailingHandlerStillAnswersWithTheFlagItSet) {
  host_.ServiceStarted = [](bool& success) {
    success = true;
    throw RuntimeError(kErrInvalidPropertyValue);
  };
  AsManager([this] { host_.OnServiceMain(); });  // returning at all is half the test
  EXPECT_EQ(host_.State(), DWORD{SERVICE_RUNNING});
}

TEST_F(ServiceLifecycleTest, RunServiceOutsideTheManagerReturnsAndRaisesNothing) {
  host_.RunService();
  host_.RunService();  // a second call starts no second dispatcher
  Sleep(200);
  Pump();
  EXPECT_TRUE(TakeLog().empty());
}

TEST(ServiceHostTest, PropertiesAreRemembered) {
  auto control = CreateServiceControl(GetModuleHandleW(nullptr));
  EXPECT_EQ(control->ServiceDisplayName(), "Orvanta Duskline");
  EXPECT_FALSE(control->DesktopInteraction());
  control->SetDesktopInteraction(true);
  EXPECT_TRUE(control->DesktopInteraction());
  auto& host = static_cast<ServiceHost&>(*control);
  EXPECT_FALSE(host.DebugMode());
  host.SetDebugMode(true);
  EXPECT_TRUE(host.DebugMode());
}

std::wstring ModuleFileName() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  return std::wstring(path, length);
}

std::wstring RegistryText(const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name,
                   RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer,
                   &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return buffer;
}

bool KeyExists(const std::wstring& key) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

// Registration against the real service control manager of the Wine prefix.
class ServiceRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override { host_.UninstallService(); }  // a leftover of an aborted run
  void TearDown() override { host_.UninstallService(); }

  std::vector<BYTE> QueryConfig() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_QUERY_CONFIG);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    const bool ok =
        service != nullptr &&
        QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed);
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    if (!ok) buffer.clear();
    return buffer;
  }

  ServiceHost host_{GetModuleHandleW(nullptr)};
};

TEST_F(ServiceRegistrationTest, InstallRegistersAQuotedPathAndTheEventSource) {
  host_.SetDesktopInteraction(true);
  ASSERT_TRUE(host_.InstallService());
  const std::vector<BYTE> buffer = QueryConfig();
  ASSERT_FALSE(buffer.empty());
  const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
  EXPECT_EQ(std::wstring(config->lpBinaryPathName), L"\"" + ModuleFileName() + L"\"");
  EXPECT_STREQ(config->lpDisplayName, L"Orvanta Duskline");
  EXPECT_EQ(config->dwServiceType, DWORD{SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS});
  EXPECT_EQ(config->dwStartType, DWORD{SERVICE_DEMAND_START});
  EXPECT_EQ(RegistryText(kEventSourceKey, L"EventMessageFile"), ModuleFileName());

  EXPECT_FALSE(host_.InstallService()) << "a second install finds the service there";
}

TEST_F(ServiceRegistrationTest, WithoutDesktopInteractionTheServiceIsNotInteractive) {
  ASSERT_TRUE(host_.InstallService());
  const std::vector<BYTE> buffer = QueryConfig();
  ASSERT_FALSE(buffer.empty());
  EXPECT_EQ(reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data())->dwServiceType,
            DWORD{SERVICE_WIN32_OWN_PROCESS});
}

TEST_F(ServiceRegistrationTest, StoreParameterWritesIntoTheServicesOwnKey) {
  ASSERT_TRUE(host_.InstallService());
  host_.StoreParameter("Parameters", "TimerInterval", "1000");
  EXPECT_EQ(RegistryText(std::wstring(kServiceKey) + L"\\Parameters", L"TimerInterval"), L"1000");
}

TEST_F(ServiceRegistrationTest, StoreParameterKeepsOutOfTheManagersValues) {
  ASSERT_TRUE(host_.InstallService());
  const std::wstring imagePath = RegistryText(kServiceKey, L"ImagePath");
  for (const char* section : {"", "Parameters\\..", "\\Other"}) {
    try {
      host_.StoreParameter(section, "ImagePath", "C:\\elsewhere.exe");
      ADD_FAILURE() << "no error for section '" << section << "'";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), 5);
    }
  }
  EXPECT_EQ(RegistryText(kServiceKey, L"ImagePath"), imagePath);
}

TEST_F(ServiceRegistrationTest, UninstallRemovesServiceAndSourceAndFailsTheSecondTime) {
  ASSERT_TRUE(host_.InstallService());
  host_.StoreParameter("Parameters", "TimerInterval", "1000");
  EXPECT_TRUE(host_.UninstallService());
  EXPECT_TRUE(QueryConfig().empty());
  EXPECT_FALSE(KeyExists(kEventSourceKey));
  EXPECT_FALSE(host_.UninstallService());
}

TEST(EventMessagesTest, EveryEntryReadsAsTheTextItWasWrittenWith) {
  for (DWORD id : {DWORD{110}, DWORD{1}}) {
    const wchar_t* text = L"[380] Invalid property value";
    const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(text)};
    wchar_t buffer[256] = {};
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, GetModuleHandleW(nullptr), id,
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer, static_cast<DWORD>(std::size(buffer)),
        reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
    ASSERT_GT(length, 0u) << "message " << id << " missing from the executable";
    std::wstring message(buffer, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
      message.pop_back();
    }
    EXPECT_EQ(message, text) << id;
  }
}

TEST(EventLogTest, WritingEntriesWithoutARegisteredSourceDoesNoHarm) {
  ServiceHost host(GetModuleHandleW(nullptr));
  host.WriteEventLogEntry(4, 110, "Service started");
  host.WriteEventLogEntry(109, 1, "[380] Invalid property value");
  host.WriteEventLogEntry(4, 110, std::string(70000, 'x'));
}

}  // namespace
}  // namespace duskline::win32
