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

}  // namespace duskline::win32
