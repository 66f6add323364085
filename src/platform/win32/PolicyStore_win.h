// The administrator's policy in the registry: Software\Policies\Orvanta\Duskline of the
// computer (HKLM) and of the user (HKCU). The message loop waits for the change notification of
// either key, and a hidden window hears the WM_SETTINGCHANGE "Policy" that Group Policy
// broadcasts after a refresh.
#pragma once

#include "platform/PolicyStore.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

class Win32WindowSystem;

inline constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Orvanta\\Duskline";

class RegistryPolicy : public PolicyStore {
 public:
  RegistryPolicy(HINSTANCE instance, Win32WindowSystem& loop);
  ~RegistryPolicy() override;
  RegistryPolicy(const RegistryPolicy&) = delete;
  RegistryPolicy& operator=(const RegistryPolicy&) = delete;

  PolicyValue Read(PolicyScope scope, const std::string& name) const override;
  std::string Where(PolicyScope scope, const std::string& name) const override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Watch(int scope);

  Win32WindowSystem& loop_;
  HWND window_ = nullptr;
  // For the machine and the user: the key watched and the event its change sets.
  HKEY watched_[2] = {};
  HANDLE changed_[2] = {};
};

}  // namespace duskline::win32
