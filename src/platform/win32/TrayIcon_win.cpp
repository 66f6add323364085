#include "platform/win32/TrayIcon_win.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <vector>

#include "platform/win32/Controls_win.h"
#include "platform/win32/Text_win.h"

namespace duskline::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"DusklineTrayIcon";
constexpr char kDesignTimeTip[] = "Duskline";

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgba kNight{30, 42, 90, 1};
constexpr Rgba kMoon{242, 224, 140, 1};
constexpr Rgba kAmber{240, 160, 32, 1};
constexpr Rgba kInk{40, 30, 10, 1};
constexpr Rgba kRed{208, 32, 32, 1};
constexpr Rgba kWhite{255, 255, 255, 1};
constexpr Rgba kClear{};

bool InCircle(double x, double y, double cx, double cy, double r) {
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool InExclamation(double x, double y) {
  return (x >= 0.42 && x <= 0.58 && y >= 0.18 && y <= 0.62) || InCircle(x, y, 0.5, 0.77, 0.08);
}

// The colour of a picture at a point of the unit square (y grows downwards).
Rgba ColourAt(TrayPicture picture, double x, double y) {
  if (!InCircle(x, y, 0.5, 0.5, 0.47)) return kClear;
  switch (picture) {
    case TrayPicture::kWarning:
      return InExclamation(x, y) ? kInk : kAmber;
    case TrayPicture::kUrgentFlash:
      return InExclamation(x, y) ? kWhite : kRed;
    case TrayPicture::kDuskGlow:
      if (!InCircle(x, y, 0.5, 0.5, 0.39)) return kAmber;
      [[fallthrough]];
    case TrayPicture::kNormal:
      break;
  }
  const bool crescent = InCircle(x, y, 0.46, 0.53, 0.30) && !InCircle(x, y, 0.60, 0.42, 0.26);
  return crescent ? kMoon : kNight;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  // A second control in the same process finds the class already there.
  RegisterClassExW(&windowClass);
}

}  // namespace

TrayPicture TrayAnimation::BasePicture() const {
  return iconCode == kWarningIconCode ? TrayPicture::kWarning : TrayPicture::kNormal;
}

TrayPicture TrayAnimation::Picture() const {
  if (!running || frame % 2 == 0) return BasePicture();
  switch (mode) {
    case kSlowMode:
      return TrayPicture::kDuskGlow;
    case kUrgentMode:
      return TrayPicture::kUrgentFlash;
    default:
      return BasePicture();
  }
}

UINT TrayAnimation::TimerInterval() const {
  // Zero or a negative 16-bit value would make a busy or a month-long timer.
  return static_cast<UINT>(std::max<int>(interval, USER_TIMER_MINIMUM));
}

HICON DrawTrayPicture(TrayPicture picture, int size) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = size;
  header.bV5Height = -size;  // top-down rows
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (colour == nullptr) return nullptr;

  // Four by four samples per pixel smooth the edges of the circles.
  constexpr int kSamples = 4;
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Rgba sum;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) / size;
          const double y = (py + (sy + 0.5) / kSamples) / size;
          const Rgba c = ColourAt(picture, x, y);
          sum.r += c.r * c.a;
          sum.g += c.g * c.a;
          sum.b += c.b * c.a;
          sum.a += c.a;
        }
      }
      uint32_t value = 0;
      if (sum.a > 0) {
        const auto channel = [&](double v) { return static_cast<uint32_t>(v / sum.a + 0.5); };
        const auto alpha = static_cast<uint32_t>(sum.a * 255 / (kSamples * kSamples) + 0.5);
        value = alpha << 24 | channel(sum.r) << 16 | channel(sum.g) << 8 | channel(sum.b);
      }
      pixels[py * size + px] = value;
    }
  }

  std::vector<BYTE> maskBits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour;
  info.hbmMask = mask;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

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
  RegisterWindowClass(instance_, &TrayIconWindow::WindowProc);
  // A hidden top-level window, not a message-only one: only top-level windows hear the
  // TaskbarCreated broadcast.
  window_ = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_,
                            this);
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
  if (milliseconds == animation_.interval) return;
  animation_.interval = milliseconds;
  // A new pace takes effect at once: SetTimer on a running timer's id replaces its interval.
  if (animation_.running) SetTimer(Window(), kTimerAnimation, animation_.TimerInterval(), nullptr);
}

void TrayIconWindow::SetIconCode(int32_t code) {
  if (code == animation_.iconCode) return;
  animation_.iconCode = code;
  RefreshPicture();
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
  if (mode == animation_.mode) return;
  animation_.mode = mode;
  RefreshPicture();
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
    SetTimer(Window(), kTimerAnimation, animation_.TimerInterval(), nullptr);
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
  if (icon == nullptr) icon = DrawTrayPicture(picture, GetSystemMetrics(SM_CXSMICON));
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
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TrayIconWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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
