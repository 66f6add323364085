#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestForms_win.h"
#include "platform/win32/ServiceControl_win.h"

namespace duskline::win32 {
namespace {

using Log = std::vector<std::string>;

std::string S(DWORD state) {
  return "status " + std::to_string(state);
}

// Plays the service control manager: one log of every status reported and, in the same
// order, of the handlers run on the user-interface thread.
class ServiceLifecycleTest : public ::testing::Test {
 protected:
  ServiceLifecycleTest() {
    host_.SetAcceptedRequests(2);
    const DWORD uiThread = GetCurrentThreadId();
    auto handler = [=, this](const char* name, const bool& answer) {
      return [=, this, &answer](bool& success) {
        EXPECT_EQ(GetCurrentThreadId(), uiThread) << name;
        EXPECT_FALSE(success) << "the flag starts False";
        success = answer;
        Record(name);
      };
    };
    host_.ServiceStarted = handler("started", startAnswer_);
    host_.ServicePaused = handler("paused", pauseAnswer_);
    host_.ServiceContinued = handler("continued", continueAnswer_);
    host_.ServiceStopped = [this] { Record("stopped"); };
  }

  void Record(const std::string& entry) {
    std::lock_guard lock(mutex_);
    log_.push_back(entry);
  }

  Log TakeLog() {
    Pump();
    std::lock_guard lock(mutex_);
    return std::exchange(log_, {});
  }

  static void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }

  // The manager's side on a thread of its own while this thread pumps messages; 0 starts.
  DWORD Request(DWORD control) {
    std::atomic<bool> done = false;
    DWORD answer = NO_ERROR;
    std::thread manager([&] {
      if (control == 0)
        host_.OnServiceMain();
      else
        answer = host_.OnControl(control);
      done = true;
    });
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!done && GetTickCount64() < deadline) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      Pump();
    }
    manager.join();  // hangs here, rather than passing, when no answer came
    return answer;
  }

  void Start() {
    Request(0);
    TakeLog();
  }

  std::mutex mutex_;
  Log log_;
  SERVICE_STATUS last_{};
  bool startAnswer_ = true, pauseAnswer_ = true, continueAnswer_ = true;
  ServiceHost host_{GetModuleHandleW(nullptr), [this](const SERVICE_STATUS& status) {
                      last_ = status;
                      Record(S(status.dwCurrentState));
                    }};
};

TEST(EventLogTypeTest, ErrorEntriesAreErrorsAndStatusEntriesInformation) {
  const std::pair<int16_t, WORD> cases[] = {
      {109, EVENTLOG_ERROR_TYPE},      {4, EVENTLOG_INFORMATION_TYPE},
      {2, EVENTLOG_WARNING_TYPE},      {0, EVENTLOG_INFORMATION_TYPE},
      {-1, EVENTLOG_INFORMATION_TYPE}, {110, EVENTLOG_INFORMATION_TYPE},
  };
  for (const auto& [type, expected] : cases) EXPECT_EQ(EventLogType(type), expected) << type;
}

TEST(ServiceStatusReporterTest, PendingStatesCountCheckPointsAndNothingFollowsStopped) {
  std::vector<SERVICE_STATUS> seen;
  ServiceStatusReporter status([&](const SERVICE_STATUS& s) { seen.push_back(s); });
  status.SetAcceptedControls(SERVICE_ACCEPT_STOP);
  for (DWORD state : {SERVICE_START_PENDING, SERVICE_START_PENDING, SERVICE_RUNNING,
                      SERVICE_STOPPED, SERVICE_RUNNING})
    status.Report(state);
  status.Repeat();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].dwCheckPoint, 2u);
  EXPECT_GT(seen[1].dwWaitHint, 0u);
  EXPECT_EQ(seen[1].dwControlsAccepted, 0u) << "no requests while starting";
  EXPECT_EQ(seen[2].dwCheckPoint, 0u);
  EXPECT_EQ(seen[2].dwControlsAccepted, DWORD{SERVICE_ACCEPT_STOP});
  EXPECT_EQ(status.State(), DWORD{SERVICE_STOPPED});
}

TEST_F(ServiceLifecycleTest, EachStateIsReportedAfterItsHandlerAcceptedAndStoppedBeforeTheEnd) {
  Request(0);
  EXPECT_EQ(Request(SERVICE_CONTROL_PAUSE), DWORD{NO_ERROR});
  Request(SERVICE_CONTROL_CONTINUE);
  EXPECT_EQ(Request(SERVICE_CONTROL_STOP), DWORD{NO_ERROR});
  EXPECT_EQ(TakeLog(),
            (Log{S(SERVICE_START_PENDING), "started", S(SERVICE_RUNNING), S(SERVICE_PAUSE_PENDING),
                 "paused", S(SERVICE_PAUSED), S(SERVICE_CONTINUE_PENDING), "continued",
                 S(SERVICE_RUNNING), S(SERVICE_STOP_PENDING), S(SERVICE_STOPPED), "stopped"}));
  host_.OnControl(SERVICE_CONTROL_STOP);
  EXPECT_TRUE(TakeLog().empty()) << "a second stop is not raised again";
}

TEST_F(ServiceLifecycleTest, ARefusedStartStopsWithTheServicesOwnError) {
  startAnswer_ = false;
  Request(0);
  EXPECT_EQ(TakeLog().back(), S(SERVICE_STOPPED));
  EXPECT_EQ(last_.dwWin32ExitCode, DWORD{ERROR_SERVICE_SPECIFIC_ERROR});
}

TEST_F(ServiceLifecycleTest, RefusedPauseAndContinueLeaveTheServiceAsItWas) {
  Start();
  pauseAnswer_ = false;
  Request(SERVICE_CONTROL_PAUSE);
  EXPECT_EQ(TakeLog().back(), S(SERVICE_RUNNING));
  pauseAnswer_ = true;
  continueAnswer_ = false;
  Request(SERVICE_CONTROL_PAUSE);
  Request(SERVICE_CONTROL_CONTINUE);
  EXPECT_EQ(TakeLog().back(), S(SERVICE_PAUSED));
}

TEST_F(ServiceLifecycleTest, PauseAndShutdownNeedTheirAcceptedRequests) {
  host_.SetAcceptedRequests(0);
  Start();
  EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_PAUSE), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
  EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_SHUTDOWN), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
  EXPECT_TRUE(TakeLog().empty());
}

TEST_F(ServiceLifecycleTest, AFailingHandlerStillAnswersWithTheFlagItSet) {
  host_.ServiceStarted = [](bool& success) {
    success = true;
    throw RuntimeError(kErrInvalidPropertyValue);
  };
  Request(0);
  EXPECT_EQ(host_.State(), DWORD{SERVICE_RUNNING});
}

std::wstring ModuleFileName() {
  wchar_t path[MAX_PATH * 4];
  return {path, GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)))};
}

std::wstring RegistryText(const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, flags, nullptr, buffer, &size) ==
                 ERROR_SUCCESS
             ? buffer
             : L"<missing>";
}

// The configuration in the service control manager of the Wine prefix, or nothing.
std::vector<BYTE> QueryConfig() {
  std::vector<BYTE> buffer(8192);
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_QUERY_CONFIG);
  DWORD needed = 0;
  if (!QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                           static_cast<DWORD>(buffer.size()), &needed))
    buffer.clear();
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return buffer;
}

class ServiceRegistrationTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { host_.UninstallService(); }  // a leftover of an aborted run
  void TearDown() override { host_.UninstallService(); }
  ServiceHost host_{GetModuleHandleW(nullptr)};
};

TEST_P(ServiceRegistrationTest, InstallStoreAndUninstall) {
  const bool interactive = GetParam();
  host_.SetDesktopInteraction(interactive);
  ASSERT_TRUE(host_.InstallService());
  std::vector<BYTE> buffer = QueryConfig();
  ASSERT_FALSE(buffer.empty());
  const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
  EXPECT_EQ(std::wstring(config->lpBinaryPathName), L"\"" + ModuleFileName() + L"\"");
  EXPECT_STREQ(config->lpDisplayName, L"Orvanta Duskline");
  EXPECT_EQ(config->dwServiceType,
            SERVICE_WIN32_OWN_PROCESS | (interactive ? SERVICE_INTERACTIVE_PROCESS : 0));
  EXPECT_EQ(config->dwStartType, DWORD{SERVICE_DEMAND_START});
  EXPECT_EQ(RegistryText(kEventSourceKey, L"EventMessageFile"), ModuleFileName());
  EXPECT_FALSE(host_.InstallService()) << "a second install finds the service there";

  host_.StoreParameter("Parameters", "TimerInterval", "1000");
  EXPECT_EQ(RegistryText(std::wstring(kServiceKey) + L"\\Parameters", L"TimerInterval"), L"1000");
  // Only below the service's own key: never over the manager's values.
  const std::wstring imagePath = RegistryText(kServiceKey, L"ImagePath");
  for (const char* section : {"", "Parameters\\..", "\\Other"}) {
    EXPECT_EQ(testing::ErrorOf([&] { host_.StoreParameter(section, "ImagePath", "C:\\x.exe"); }), 5)
        << section;
  }
  EXPECT_EQ(RegistryText(kServiceKey, L"ImagePath"), imagePath);

  EXPECT_TRUE(host_.UninstallService());
  EXPECT_TRUE(QueryConfig().empty());
  EXPECT_EQ(RegistryText(kEventSourceKey, L"EventMessageFile"), L"<missing>");
  EXPECT_FALSE(host_.UninstallService());
}

INSTANTIATE_TEST_SUITE_P(DesktopInteraction, ServiceRegistrationTest, ::testing::Bool());

TEST(EventMessagesTest, EveryEntryReadsAsTheTextItWasWrittenWith) {
  const wchar_t* text = L"[380] Invalid property value";
  for (DWORD id : {110, 1}) {
    DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(text)};
    wchar_t buffer[256] = {};
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, GetModuleHandleW(nullptr), id,
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer, static_cast<DWORD>(std::size(buffer)),
        reinterpret_cast<va_list*>(arguments));
    std::wstring message(buffer, length);
    while (!message.empty() && message.back() <= L'\r') message.pop_back();
    EXPECT_EQ(message, text) << "message " << id;
  }
}

}  // namespace
}  // namespace duskline::win32
