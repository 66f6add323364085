// The administrator's policy in the registry: Software\Policies\Orvanta\Duskline of the
// computer (HKLM) and of the user (HKCU). A thread of its own waits for changes of either key
// and posts them to a hidden window of the user-interface thread, which also hears the
// WM_SETTINGCHANGE "Policy" that Group Policy broadcasts after a refresh.
#pragma once

#include "platform/PolicyStore.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

inline constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Orvanta\\Duskline";

class RegistryPolicy : public PolicyStore {
 public:
  explicit RegistryPolicy(HINSTANCE instance);
  ~RegistryPolicy() override;
  RegistryPolicy(const RegistryPolicy&) = delete;
  RegistryPolicy& operator=(const RegistryPolicy&) = delete;

  PolicyValue Read(PolicyScope scope, const std::string& name) const override;
  std::string Where(PolicyScope scope, const std::string& name) const override;

  static constexpr UINT kChangedMessage = WM_APP + 7;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI Watch(LPVOID self);

  HWND window_ = nullptr;
  HANDLE stop_ = nullptr;
  HANDLE watcher_ = nullptr;
};

}  // namespace duskline::win32
