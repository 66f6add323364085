// The service's registration as both -install and the MSI leave it: a quoted program path and a
// restart after a crash. Shared by the program and the MSI's custom actions.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

namespace duskline::win32 {

inline constexpr wchar_t kServiceName[] = L"Orvanta Vesperon";
inline constexpr wchar_t kServiceDisplayName[] = L"Orvanta Duskline";
inline constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Orvanta Vesperon";
inline constexpr wchar_t kEventSourceKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Orvanta Vesperon";

struct ServiceHandleCloser {
  void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

// The command the manager runs: quoted, or with blanks in the path it tries "C:\Program.exe"
// first.
std::wstring ServiceCommand(const std::wstring& programPath);

// Restarts after 60 seconds at the first and the second crash, nothing at the third; the count
// starts again after a day without one. The handle needs SERVICE_CHANGE_CONFIG and
// SERVICE_START.
bool SetRestartOnFailure(SC_HANDLE service);

}  // namespace duskline::win32
