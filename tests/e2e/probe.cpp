// Looks at the program's windows from outside, as a second Windows process under the same Wine:
//   probe list                 every window of ours and every message box, with its controls
//   probe click TEXT           presses the button with that text (e.g. "&Hide", "Stop", "OK")
//   probe close CAPTION        closes the top-level window with that caption
//   probe wait CAPTION SECONDS waits until a window with that caption is shown
// Texts print as UTF-8. Exit code 0 on success, 1 when nothing matched.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(const char* text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
  out.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
  return out;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

// The text of a window of another process: WM_GETTEXT crosses processes, GetWindowText not.
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0, copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
  std::wstring text(length + 1, L'\0');
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return text;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Our forms and message boxes, or the children of one window.
std::vector<HWND> Windows(HWND parent = nullptr) {
  std::vector<HWND> windows;
  if (parent != nullptr) {
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
  }
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
  std::erase_if(windows, [](HWND window) {
    const std::wstring name = ClassOf(window);
    return name != L"DusklineForm" && name != L"#32770";
  });
  return windows;
}

int List() {
  for (HWND window : Windows()) {
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("window class=%s caption=\"%s\" visible=%d topmost=%d rect=%ld,%ld,%ld,%ld\n",
                Utf8(ClassOf(window)).c_str(), Utf8(TextOf(window)).c_str(),
                IsWindowVisible(window) ? 1 : 0,
                (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0, rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top);
    for (HWND child : Windows(window)) {
      const std::wstring name = ClassOf(child);
      std::printf("  control class=%s text=\"%s\"", Utf8(name).c_str(),
                  Utf8(TextOf(child)).c_str());
      DWORD_PTR selected = 0;
      if (_wcsicmp(name.c_str(), L"ComboBox") == 0 &&
          SendMessageTimeoutW(child, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected))
        std::printf(" selected=%d", static_cast<int>(static_cast<LRESULT>(selected)));
      std::printf("\n");
    }
  }
  return 0;
}

int Click(const std::wstring& text) {
  for (HWND window : Windows())
    for (HWND child : Windows(window))
      if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && TextOf(child) == text &&
          IsWindowVisible(window))
        // Posted: the click may end the program, which must not leave us waiting.
        return PostMessageW(child, BM_CLICK, 0, 0) ? 0 : 1;
  return 1;
}

int Close(const std::wstring& caption) {
  for (HWND window : Windows())
    if (TextOf(window) == caption) return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  return 1;
}

int Wait(const std::wstring& caption, int seconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  do {
    for (HWND window : Windows())
      if (IsWindowVisible(window) && TextOf(window) == caption) return 0;
    Sleep(10);
  } while (GetTickCount64() < end);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "list") return List();
  if (command == "click" && argc > 2) return Click(Wide(argv[2]));
  if (command == "close" && argc > 2) return Close(Wide(argv[2]));
  if (command == "wait" && argc > 3) return Wait(Wide(argv[2]), std::atoi(argv[3]));
  std::fprintf(stderr, "usage: probe list | click TEXT | close CAPTION | wait CAPTION SECONDS\n");
  return 2;
}
