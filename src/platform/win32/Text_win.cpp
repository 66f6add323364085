#include "platform/win32/Text_win.h"

#include <windows.h>

namespace duskline::win32 {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), count);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int count = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), count, nullptr, nullptr);
  return narrow;
}

bool FitsCodePage(const std::wstring& text) {
  if (text.empty()) return true;
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                      nullptr, 0, nullptr, &lossy);
  return !lossy;
}

}  // namespace duskline::win32
