#include "platform/win32/PolicyStore_win.h"

#include <memory>

#include "platform/win32/Text_win.h"

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

RegistryPolicy::RegistryPolicy(HINSTANCE instance) {
  // Top-level and hidden: a message-only window would not hear WM_SETTINGCHANGE.
  window_ = CreateOwnedWindow(instance, kWindowClass, &RegistryPolicy::WindowProc, this, WS_POPUP,
                              nullptr);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (window_ != nullptr && stop_ != nullptr) {
    watcher_ = CreateThread(nullptr, 64 * 1024, &RegistryPolicy::Watch, this,
                            STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  }
}

RegistryPolicy::~RegistryPolicy() {
  if (watcher_ != nullptr) {
    SetEvent(stop_);
    WaitForSingleObject(watcher_, INFINITE);
    CloseHandle(watcher_);
  }
  if (stop_ != nullptr) CloseHandle(stop_);
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

// A change notification belongs to the thread that asked for it and ends with it, so this
// thread lives as long as the store.
DWORD WINAPI RegistryPolicy::Watch(LPVOID parameter) {
  auto* self = static_cast<RegistryPolicy*>(parameter);
  HANDLE changed[2] = {CreateEventW(nullptr, FALSE, FALSE, nullptr),
                       CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  const HKEY roots[2] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  for (;;) {
    Key watched[2];
    for (int i = 0; i < 2; ++i) {
      watched[i] = changed[i] != nullptr ? OpenWatched(roots[i]) : nullptr;
      if (watched[i]) {
        RegNotifyChangeKeyValue(watched[i].get(), TRUE,
                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, changed[i],
                                TRUE);
      }
    }
    HANDLE waits[3] = {self->stop_, changed[0], changed[1]};
    const DWORD count = changed[0] && changed[1] ? 3 : 1;
    const DWORD result = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (result != WAIT_OBJECT_0 + 1 && result != WAIT_OBJECT_0 + 2) break;
    PostMessageW(self->window_, kChangedMessage, 0, 0);
  }
  for (HANDLE event : changed)
    if (event != nullptr) CloseHandle(event);
  return 0;
}

LRESULT CALLBACK RegistryPolicy::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = WindowOwner<RegistryPolicy>(window, message, lParam);
  const bool policyBroadcast = message == WM_SETTINGCHANGE && lParam != 0 &&
                               lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam), L"Policy") == 0;
  if (self != nullptr && (message == kChangedMessage || policyBroadcast) && self->Changed) {
    self->Changed();
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace duskline::win32
