// windows.h for our backend. Its MessageBox macro would rename the window system's method of
// the same name in every file that sees it, so it goes; the Win32 function is MessageBoxW.
#pragma once

#include <windows.h>

#include <string>

#undef MessageBox

namespace duskline::win32 {

// Functions of Windows versions later than the oldest we run on, or of system DLLs the
// program does not link, looked up in the system folder when needed: null where missing.
template <typename Fn>
Fn* LaterFunction(const wchar_t* library, const char* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  HMODULE module = LoadLibraryW((std::wstring(folder, length) + L"\\" + library).c_str());
  return module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// The object a window was created for (CreateWindowEx's last argument), kept with the window
// from WM_NCCREATE on; null before it and after the owner cleared it.
template <typename Owner>
Owner* WindowOwner(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// A hidden window of a class of its own for `owner`, whose messages go to `procedure`: the
// way other threads post to the user-interface thread.
inline HWND CreateOwnedWindow(HINSTANCE instance, const wchar_t* className, WNDPROC procedure,
                              void* owner, DWORD style, HWND parent) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
  return CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, parent, nullptr, instance, owner);
}

}  // namespace duskline::win32
