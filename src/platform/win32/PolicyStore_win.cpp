#include "platform/win32/PolicyStore_win.h"

#include <memory>

#include "platform/win32/Text_win.h"
#include "platform/win32/WindowSystem_win.h"

namespace duskline::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"DusklinePolicy";
// Policies of the 64-bit view, also for the 32-bit program on 64-bit Windows.
constexpr REGSAM kView = KEY_WOW64_64KEY;

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

HKEY Root(PolicyScope scope) {
  return scope == PolicyScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

Key Open(HKEY root, const wchar_t* path, REGSAM access, LSTATUS& status) {
  HKEY key = nullptr;
  status = RegOpenKeyExW(root, path, 0, access | kView, &key);
  return Key(status == ERROR_SUCCESS ? key : nullptr);
}

// The policy's key, or the nearest of its parents that is there: the key itself may be made
// while we watch.
Key OpenWatched(HKEY root) {
  for (const wchar_t* path :
       {kPolicyKey, L"Software\\Policies\\Orvanta", L"Software\\Policies", L"Software"}) {
    LSTATUS status;
    if (Key key = Open(root, path, KEY_NOTIFY, status)) return key;
  }
  return nullptr;
}

constexpr PolicyValue kUnreadable{PolicyValue::Kind::Unreadable, {}, 0};
constexpr DWORD kLongestText = 4096;

}  // namespace

RegistryPolicy::RegistryPolicy(HINSTANCE instance, Win32WindowSystem& loop) : loop_(loop) {
  // Top-level and hidden: a message-only window would not hear WM_SETTINGCHANGE.
  window_ = CreateOwnedWindow(instance, kWindowClass, &RegistryPolicy::WindowProc, this, WS_POPUP,
                              nullptr);
  for (int scope = 0; scope < 2; ++scope) {
    changed_[scope] = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    Watch(scope);
  }
}

RegistryPolicy::~RegistryPolicy() {
  for (int scope = 0; scope < 2; ++scope) {
    if (changed_[scope] == nullptr) continue;
    loop_.StopWaitingFor(changed_[scope]);
    if (watched_[scope] != nullptr) RegCloseKey(watched_[scope]);
    CloseHandle(changed_[scope]);
  }
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

PolicyValue RegistryPolicy::Read(PolicyScope scope, const std::string& name) const {
  LSTATUS status;
  const Key key = Open(Root(scope), kPolicyKey, KEY_QUERY_VALUE, status);
  if (status == ERROR_FILE_NOT_FOUND) return {};
  if (!key) return kUnreadable;
  const std::wstring valueName = Wide(name);
  DWORD type = 0, size = 0;
  status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return {};
  if (status != ERROR_SUCCESS) return kUnreadable;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr,
                              reinterpret_cast<BYTE*>(&number), &size);
    if (status != ERROR_SUCCESS) return kUnreadable;
    return {PolicyValue::Kind::Number, {}, number};
  }
  if (type != REG_SZ || size > kLongestText) return kUnreadable;
  // The stored text need not end in a zero; one more keeps it ended.
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr,
                            reinterpret_cast<BYTE*>(text.data()), &size);
  if (status != ERROR_SUCCESS) return kUnreadable;
  text.resize(text.find(L'\0'));
  return {PolicyValue::Kind::Text, Narrow(text), 0};
}

std::string RegistryPolicy::Where(PolicyScope scope, const std::string& name) const {
  return std::string(scope == PolicyScope::Machine ? "HKLM\\" : "HKCU\\") + Narrow(kPolicyKey) +
         "\\" + name;
}

// Asks for the next change of one scope's key, or of its nearest parent until the key is made,
// as a change notification of this thread, which lives as long as the store.
void RegistryPolicy::Watch(int scope) {
  if (changed_[scope] == nullptr) return;
  if (watched_[scope] != nullptr) RegCloseKey(watched_[scope]);
  // Closing a watched key may set its event; only a change counts.
  ResetEvent(changed_[scope]);
  watched_[scope] = OpenWatched(Root(static_cast<PolicyScope>(scope))).release();
  if (watched_[scope] == nullptr ||
      RegNotifyChangeKeyValue(watched_[scope], TRUE,
                              REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, changed_[scope],
                              TRUE) != ERROR_SUCCESS)
    return;
  loop_.WaitFor(changed_[scope], [this, scope] {
    Watch(scope);
    if (Changed) Changed();
  });
}

LRESULT CALLBACK RegistryPolicy::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = WindowOwner<RegistryPolicy>(window, message, lParam);
  const bool policyBroadcast = message == WM_SETTINGCHANGE && lParam != 0 &&
                               lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam), L"Policy") == 0;
  if (self != nullptr && policyBroadcast && self->Changed) {
    self->Changed();
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace duskline::win32
