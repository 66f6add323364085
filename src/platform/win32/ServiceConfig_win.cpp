#include "platform/win32/ServiceConfig_win.h"

#include <cstddef>

namespace duskline::win32 {

namespace {

constexpr DWORD kOneDay = 24 * 60 * 60;
constexpr DWORD kRestartDelayMs = 60 * 1000;
constexpr DWORD kActionCount = 3;

// SERVICE_FAILURE_ACTIONS as the manager keeps it in the service's key: its three pointers as
// 32-bit offsets, the one to the actions pointing just past the header.
struct StoredFailureActions {
  DWORD resetPeriod, rebootMessage, command, actionCount, actionsAt;
  SC_ACTION actions[kActionCount];
};

}  // namespace

std::wstring ServiceCommand(const std::wstring& programPath) {
  return L"\"" + programPath + L"\"";
}

bool SetRestartOnFailure(SC_HANDLE service) {
  StoredFailureActions stored{kOneDay,
                              0,
                              0,
                              kActionCount,
                              offsetof(StoredFailureActions, actions),
                              {{SC_ACTION_RESTART, kRestartDelayMs},
                               {SC_ACTION_RESTART, kRestartDelayMs},
                               {SC_ACTION_NONE, 0}}};
  SERVICE_FAILURE_ACTIONSW failure{kOneDay, nullptr, nullptr, kActionCount, stored.actions};
  if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure)) return false;
  // Wine's manager takes the call and keeps nothing: there the value goes where Windows' manager
  // keeps it, so that the registration reads the same.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  LSTATUS status = RegQueryValueExW(key, L"FailureActions", nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_FILE_NOT_FOUND) {
    status = RegSetValueExW(key, L"FailureActions", 0, REG_BINARY,
                            reinterpret_cast<const BYTE*>(&stored), sizeof stored);
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

}  // namespace duskline::win32
