// Looks at the program from outside, as a second Windows process under the same Wine:
//   probe list                 every window of ours and every message box, with its controls
//   probe click TEXT           presses the button with that text (e.g. "&Hide", "Stop", "OK")
//   probe close CAPTION        closes the top-level window with that caption
//   probe wait CAPTION SECONDS waits until a window with that caption is shown
//   probe service              starts, pauses, continues and stops the installed service
// Texts print as UTF-8. Exit code 0 on success, 1 when nothing matched or a step failed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(static_cast<size_t>(
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                          static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

// The text of a window of another process: WM_GETTEXT crosses processes, GetWindowText not.
std::wstring TextOf(HWND window) {
  DWORD_PTR copied = 0;
  std::wstring text(1024, L'\0');
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
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
    return ClassOf(window) != L"DusklineForm" && ClassOf(window) != L"#32770";
  });
  return windows;
}

int List() {
  for (HWND window : Windows()) {
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf(
        "window class=%s caption=\"%s\" visible=%d topmost=%d handle=%llx rect=%ld,%ld,%ld,%ld\n",
        Utf8(ClassOf(window)).c_str(), Utf8(TextOf(window)).c_str(),
        IsWindowVisible(window) ? 1 : 0,
        (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0,
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top);
    for (HWND child : Windows(window)) {
      // A control the program hid is not there for the user.
      if ((GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) == 0) continue;
      DWORD_PTR selected = 0;
      std::printf("  control text=\"%s\"", Utf8(TextOf(child)).c_str());
      if (_wcsicmp(ClassOf(child).c_str(), L"ComboBox") == 0 &&
          SendMessageTimeoutW(child, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected))
        std::printf(" selected=%d", static_cast<int>(static_cast<LRESULT>(selected)));
      std::printf("\n");
    }
  }
  return 0;
}

// Posts to the visible window with that caption, or to a button with that text in one; posted,
// because the message may end the program, which must not leave us waiting.
int Post(const std::wstring& text, bool button) {
  for (HWND window : Windows()) {
    if (!button && TextOf(window) == text) return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (!button || !IsWindowVisible(window)) continue;
    for (HWND child : Windows(window))
      if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && TextOf(child) == text)
        return PostMessageW(child, BM_CLICK, 0, 0) ? 0 : 1;
  }
  return 1;
}

int Wait(const std::wstring& caption, int seconds) {
  for (const ULONGLONG end = GetTickCount64() + seconds * 1000ULL; GetTickCount64() < end;
       Sleep(10))
    for (HWND window : Windows())
      if (IsWindowVisible(window) && TextOf(window) == caption) return 0;
  return 1;
}

// Each request once the service has reached the state the one before asked for.
int DriveService() {
  SC_HANDLE service = OpenServiceW(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT),
                                   L"Orvanta Vesperon", SERVICE_ALL_ACCESS);
  const DWORD steps[][2] = {{0, SERVICE_RUNNING},
                            {SERVICE_CONTROL_PAUSE, SERVICE_PAUSED},
                            {SERVICE_CONTROL_CONTINUE, SERVICE_RUNNING},
                            {SERVICE_CONTROL_STOP, SERVICE_STOPPED}};
  for (const auto& [control, wanted] : steps) {
    SERVICE_STATUS status{};
    if (!(control == 0 ? StartServiceW(service, 0, nullptr)
                       : ControlService(service, control, &status))) {
      std::printf("request %lu refused: %lu\n", control, GetLastError());
      return 1;
    }
    const ULONGLONG end = GetTickCount64() + 30000;
    while (QueryServiceStatus(service, &status) && status.dwCurrentState != wanted &&
           GetTickCount64() < end)
      Sleep(100);
    if (status.dwCurrentState != wanted) {
      std::printf("state %lu, wanted %lu\n", status.dwCurrentState, wanted);
      return 1;
    }
  }
  return 0;
}

}  // namespace

// wmain (linked with -municode): the arguments as Wine hands them over, in UTF-16.
int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"list") return List();
  if (command == L"service") return DriveService();
  if (command == L"click" && argc > 2) return Post(argv[2], true);
  if (command == L"close" && argc > 2) return Post(argv[2], false);
  if (command == L"wait" && argc > 3) return Wait(argv[2], std::stoi(argv[3]));
  std::fprintf(stderr,
               "usage: probe list | click TEXT | close CAPTION | wait CAPTION SECONDS |"
               " service\n");
  return 2;
}
