#include "platform/win32/TrayIcon_win.h"

#include <algorithm>
#include <cwchar>

#include "platform/win32/Controls_win.h"
#include "platform/win32/Picture_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"DusklineTrayIcon";
constexpr char kDesignTimeTip[] = "Duskline";

}  // namespace

// The window and the pictures come with the first icon or animation: a program that stays
// in view never needs them, and its window appears sooner without.
TrayIconWindow::TrayIconWindow(HINSTANCE instance, ShellNotify notify)
    : instance_(instance), notify_(std::move(notify)) {
  data_.cbSize = sizeof data_;
  data_.uID = kIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data_.uCallbackMessage = kCallbackMessage;
  SetTipText(kDesignTimeTip);
}

HWND TrayIconWindow::Window() {
  if (window_ != nullptr) return window_;
  // A hidden top-level window, not a message-only one: only top-level windows hear the
  // TaskbarCreated broadcast. A second control in the same process finds the class there.
  window_ = CreateOwnedWindow(instance_, kWindowClass, &TrayIconWindow::WindowProc, this, WS_POPUP,
                              nullptr);
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // An elevated process (a service, say) would otherwise not hear Explorer's broadcast.
  if (window_ != nullptr)
    ChangeWindowMessageFilterEx(window_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
  data_.hWnd = window_;
  return window_;
}

TrayIconWindow::~TrayIconWindow() {
  RemoveIcon();
  if (window_ != nullptr) {
    KillTimer(window_, kTimerAnimation);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  for (HICON icon : icons_) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

// The schedule check writes the properties on every tick. SetTimer restarts a running timer's
// count, so the same interval written again must not reach it: a 1000 ms timer restarted every
// second would never step.
void TrayIconWindow::SetAnimationInterval(int16_t milliseconds) {
  if (!animation_.SetInterval(milliseconds)) return;
  // A new pace takes effect at once: SetTimer on a running timer's id replaces its interval.
  if (animation_.running)
    SetTimer(Window(), kTimerAnimation, static_cast<UINT>(animation_.TimerInterval()), nullptr);
}

void TrayIconWindow::SetIconCode(int32_t code) {
  if (animation_.SetIconCode(code)) RefreshPicture();
}

namespace {

// The shell's text fields have a fixed size (the tooltip 127 characters); a longer text is
// cut, never overrun.
template <size_t N>
void CopyCut(wchar_t (&field)[N], const std::string& text) {
  const std::wstring wide = Wide(text);
  const size_t length = std::min(wide.size(), N - 1);
  std::wmemcpy(field, wide.data(), length);
  field[length] = L'\0';
}

}  // namespace

void TrayIconWindow::SetTipText(const std::string& text) {
  decltype(data_.szTip) tip{};
  CopyCut(tip, text);
  // Written on every change of the schedule: the same text again costs no shell call.
  if (std::wcscmp(tip, data_.szTip) == 0) return;
  std::wmemcpy(data_.szTip, tip, std::size(tip));
  if (shown_) Notify(NIM_MODIFY);
}

void TrayIconWindow::ShowNotification(const std::string& title, const std::string& text) {
  // A balloon needs the icon; without it there is nothing to show it from.
  if (!shown_) return;
  NOTIFYICONDATAW info = data_;
  // With the icon's own flags: a modify without NIF_SHOWTIP would drop the tooltip.
  info.uFlags = data_.uFlags | NIF_INFO;
  info.dwInfoFlags = NIIF_INFO;
  CopyCut(info.szInfoTitle, title);
  CopyCut(info.szInfo, text);
  notify_(NIM_MODIFY, &info);
}

void TrayIconWindow::SetAnimationMode(int16_t mode) {
  if (animation_.SetMode(mode)) RefreshPicture();
}

bool TrayIconWindow::Animating() const {
  return animation_.running;
}

void TrayIconWindow::RemoveIcon() {
  if (!shown_) return;
  shown_ = false;
  added_ = false;
  // Also after a refused add: the shell may have taken it all the same (a timed-out add).
  Notify(NIM_DELETE);
}

void TrayIconWindow::ToggleAnimation() {
  animation_.frame = 0;
  animation_.running = !animation_.running;
  if (animation_.running) {
    SetTimer(Window(), kTimerAnimation, static_cast<UINT>(animation_.TimerInterval()), nullptr);
  } else {
    KillTimer(window_, kTimerAnimation);
  }
  RefreshPicture();
}

void TrayIconWindow::AddIcon() {
  // An add the shell refused is tried again: otherwise a hidden window would have no way back
  // until Explorer restarts.
  if (shown_ && added_) return;
  shown_ = true;
  ShowIcon();
}

void TrayIconWindow::ShowIcon() {
  Window();
  data_.hIcon = IconFor(animation_.Picture());
  added_ = notify_(NIM_ADD, &data_) != FALSE;
  data_.uVersion = NOTIFYICON_VERSION_4;
  version4_ = notify_(NIM_SETVERSION, &data_) != FALSE;
}

void TrayIconWindow::Notify(DWORD message) {
  // A refused call (Explorer not running yet) is made good by the TaskbarCreated broadcast.
  notify_(message, &data_);
}

void TrayIconWindow::RefreshPicture() {
  // Without the icon the picture waits for the next add, which takes the current one.
  if (!shown_) return;
  HICON icon = IconFor(animation_.Picture());
  if (icon == data_.hIcon) return;
  data_.hIcon = icon;
  Notify(NIM_MODIFY);
}

HICON TrayIconWindow::IconFor(TrayPicture picture) {
  HICON& icon = icons_[static_cast<size_t>(picture)];
  if (icon == nullptr) icon = IconOf(DrawTrayPicture(picture, GetSystemMetrics(SM_CXSMICON)));
  return icon;
}

void TrayIconWindow::OnTimer() {
  ++animation_.frame;
  RefreshPicture();
}

void TrayIconWindow::OnCallback(LPARAM lParam) {
  // Messages queued before RemoveIcon belong to an icon that is gone.
  if (!shown_) return;
  const UINT event = LOWORD(lParam);
  // With version 4 a click arrives as NIN_SELECT; the button-up message is only the click
  // where the shell kept the old behaviour, so it is not counted twice.
  const bool activate = event == NIN_SELECT || event == NIN_KEYSELECT ||
                        event == WM_LBUTTONDBLCLK || (event == WM_LBUTTONUP && !version4_);
  if (activate && IconActivate) {
    const Handler handler = IconActivate;
    handler();
  }
}

LRESULT TrayIconWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallbackMessage) {
    OnCallback(lParam);
    return 0;
  }
  if (message == WM_TIMER && wParam == kTimerAnimation) {
    OnTimer();
    return 0;
  }
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    if (shown_) ShowIcon();
    return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TrayIconWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = WindowOwner<TrayIconWindow>(window, message, lParam);
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // The event dispatcher has already applied the program's rule; nothing may unwind
    // through the system's code.
    return 0;
  }
}

std::unique_ptr<TrayIcon> CreateTrayIcon(HINSTANCE instance) {
  return std::make_unique<TrayIconWindow>(instance);
}

}  // namespace duskline::win32
