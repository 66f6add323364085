// The yardstick for what the program costs: the plainest Win32 program with the same main
// window (same controls at the same size and DPI, same manifest), a one-second timer, and a
// "&Hide" that puts an icon in the tray and hides the window. It does nothing else.
// The class name is the program's, so the same probe finds, times and clicks both.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"DusklineForm";
constexpr UINT_PTR kTimerId = 1;
constexpr int kCloseId = 1, kHideId = 2;
constexpr UINT kTrayMessage = WM_APP + 1;

struct Child {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  const wchar_t* text;
  int left, top, width, height;  // twips, relative to the window's client area
  int id;
};

// The main window's controls in tab order, frames last so that they lie below.
constexpr Child kChildren[] = {
    {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, L"", 1440, 1200, 1695, 315, 0},
    {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, L"", 1440, 840, 1695, 285, 0},
    {L"STATIC", SS_NOTIFY, 0, L"Shutdown Type", 120, 1200, 1215, 255, 0},
    {L"STATIC", SS_NOTIFY, 0, L"Shutdown at", 120, 840, 1215, 255, 0},
    {L"STATIC", SS_NOTIFY, 0, L"", 1635, 420, 1575, 255, 0},
    {L"BUTTON", WS_TABSTOP, 0, L"&About", 1200, 1920, 855, 375, 0},
    {L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, L"&Hide", 2160, 1920, 855, 375, kHideId},
    {L"BUTTON", WS_TABSTOP, 0, L"&Close", 240, 1920, 855, 375, kCloseId},
    {L"STATIC", SS_ETCHEDFRAME, 0, L"", 0, 600, 3255, 1095, 0},
    {L"STATIC", SS_ETCHEDFRAME, 0, L"", 0, 1680, 3255, 735, 0},
};
constexpr const wchar_t* kItems[] = {L"Logoff", L"Shutdown", L"Power Off"};
constexpr int kClientWidth = 3255, kClientHeight = 2475;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

HFONT font;
NOTIFYICONDATAW tray;

int Pixels(int twips, int dpi) {
  return MulDiv(twips, dpi, 1440);
}

void Build(HWND window, HINSTANCE instance) {
  const int dpi = static_cast<int>(GetDpiForWindow(window));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                             static_cast<UINT>(dpi));
  font = CreateFontIndirectW(&metrics.lfMessageFont);
  for (const Child& c : kChildren) {
    const int height = c.className[0] == L'C' ? Pixels(c.height, dpi) * 5 : Pixels(c.height, dpi);
    HWND child =
        CreateWindowExW(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style,
                        Pixels(c.left, dpi), Pixels(c.top, dpi), Pixels(c.width, dpi), height,
                        window, reinterpret_cast<HMENU>(INT_PTR{c.id}), instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (c.className[0] == L'C')
      for (const wchar_t* item : kItems)
        SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  RECT rect{0, 0, Pixels(kClientWidth, dpi), Pixels(kClientHeight, dpi)};
  AdjustWindowRectExForDpi(&rect, kStyle, FALSE, 0, static_cast<UINT>(dpi));
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  tray.cbSize = sizeof tray;
  tray.hWnd = window;
  tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  tray.uCallbackMessage = kTrayMessage;
  tray.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(tray.szTip, L"Duskline floor");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kHideId) {
        Shell_NotifyIconW(NIM_ADD, &tray);
        ShowWindow(window, SW_HIDE);
      } else if (LOWORD(wParam) == kCloseId || LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
      }
      return 0;
    case kTrayMessage:
      if (LOWORD(lParam) == WM_LBUTTONUP) {
        Shell_NotifyIconW(NIM_DELETE, &tray);
        ShowWindow(window, SW_SHOW);
      }
      return 0;
    case WM_DESTROY:
      Shell_NotifyIconW(NIM_DELETE, &tray);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(0, kClassName, L"Duskline floor", kStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, nullptr);
  Build(window, instance);
  SetTimer(window, kTimerId, 1000, nullptr);
  ShowWindow(window, show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DeleteObject(font);
  return 0;
}
