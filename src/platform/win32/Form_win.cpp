#include "platform/win32/Form_win.h"

#include <commctrl.h>
#include <oleauto.h>
#include <unknwn.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <tuple>

#include "platform/PixelLayout.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/Picture_win.h"
#include "platform/win32/Text_win.h"

namespace duskline::win32 {
namespace {

// Child ids: kFirstControlId + the control's place in the layout, clear of IDOK and IDCANCEL.
constexpr int kFirstControlId = 1000;
constexpr UINT_PTR kFirstTimerId = 1;
constexpr UINT_PTR kFocusSubclassId = 1;
// The program's icon when a layout names none.
constexpr wchar_t kProgramIcon[] = L"APPICON";

// Resource names of the layout: "#12" is the numeric id 12, anything else a name.
class ResourceName {
 public:
  explicit ResourceName(const std::string& name) : name_(Wide(name)) {}
  LPCWSTR Get() const {
    if (name_.size() > 1 && name_[0] == L'#')
      return MAKEINTRESOURCEW(static_cast<WORD>(_wtoi(name_.c_str() + 1)));
    return name_.c_str();
  }

 private:
  std::wstring name_;
};

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The fonts of a form's child windows: each control has its own, made for the form's DPI.
std::vector<HFONT> ChildFonts(HWND form) {
  std::vector<HFONT> fonts;
  for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)))
      fonts.push_back(font);
  std::sort(fonts.begin(), fonts.end());
  fonts.erase(std::unique(fonts.begin(), fonts.end()), fonts.end());
  return fonts;
}

}  // namespace

// A control with a child window.
class ChildWindow {
 public:
  ChildWindow(Win32Form& form, const ControlLayout& layout, int id)
      : form_(form), layout_(layout), id_(id) {}
  virtual ~ChildWindow() = default;
  ChildWindow(const ChildWindow&) = delete;
  ChildWindow& operator=(const ChildWindow&) = delete;

  // Frames draw only their edges, so they need not clip what lies above them; everything
  // else clips its siblings, so that a frame never paints over it.
  void Create(const wchar_t* className, DWORD style, DWORD exStyle, const std::wstring& text,
              HINSTANCE instance) {
    if (layout_.kind != ControlKind::Frame) style |= WS_CLIPSIBLINGS;
    // Made in its place with its font: moving every control afterwards delays the window.
    const PixelRect rect = Bounds(form_.Dpi());
    window_ =
        CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, rect.left,
                        rect.top, rect.width, rect.height, form_.Window(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), instance, nullptr);
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.FontFor(layout_.font)), FALSE);
    Fit();
  }
  // Places the window and gives it the font at another DPI.
  virtual void Place(int dpi, HFONT font) {
    const PixelRect rect = Bounds(dpi);
    SetWindowPos(window_, nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Fit();
  }
  virtual PixelRect Bounds(int dpi) const { return ControlPixels(form_.Layout(), layout_, dpi); }
  // Whatever follows from the font (a label sizing itself to its text).
  virtual void Fit() {}
  virtual void OnCommand(WORD) {}
  virtual void OnLostFocus() {}
  // The brush of a static control's background, or nullptr for the default.
  virtual HBRUSH OnColour(HDC) { return nullptr; }
  virtual void Draw(const DRAWITEMSTRUCT&) {}

  HWND Window() const { return window_; }
  virtual Control& AsControl() = 0;
  const ControlLayout& LayoutOf() const { return layout_; }
  int Id() const { return id_; }

 protected:
  Win32Form& form_;
  const ControlLayout& layout_;
  int id_;
  HWND window_ = nullptr;
};

namespace {

// Tells the form when the focus moves from this control to another control of the same form;
// posted, so that the event runs from the message loop and not inside the focus change.
LRESULT CALLBACK FocusSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR formWindow) {
  if (message == WM_KILLFOCUS) {
    const HWND form = reinterpret_cast<HWND>(formWindow);
    const HWND next = reinterpret_cast<HWND>(wParam);
    if (next != nullptr && next != window && IsChild(form, next) && !IsChild(window, next))
      PostMessageW(form, Win32Form::kLostFocusMessage, static_cast<WPARAM>(GetDlgCtrlID(window)),
                   0);
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, FocusSubclass, kFocusSubclassId);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

template <typename Interface>
class Windowed : public Interface, public ChildWindow {
 public:
  using ChildWindow::ChildWindow;
  Control& AsControl() override { return *this; }
  bool Enabled() const override { return IsWindowEnabled(window_) != FALSE; }
  void SetEnabled(bool enabled) override { EnableWindow(window_, enabled); }
  bool Visible() const override {
    return (GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
  }
  void SetVisible(bool visible) override { ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE); }

 protected:
  void WatchFocus() {
    SetWindowSubclass(window_, FocusSubclass, kFocusSubclassId,
                      reinterpret_cast<DWORD_PTR>(form_.Window()));
  }
};

// Buttons, frames and images: a window whose click is all the forms use.
class ClickControl : public Windowed<Control> {
 public:
  ClickControl(Win32Form& form, const ControlLayout& layout, int id, WORD clickCode)
      : Windowed(form, layout, id), clickCode_(clickCode) {}
  void OnCommand(WORD code) override {
    if (code == clickCode_) Fire(Click);
  }

 private:
  WORD clickCode_;
};

// An image: the picture stretched to fill the control. The one picture there is, the logo, is
// drawn; its name matches as a resource name would, in any case.
class ImageControl : public ClickControl {
 public:
  ImageControl(Win32Form& form, const ControlLayout& layout, int id)
      : ClickControl(form, layout, id, STN_CLICKED) {
    if (lstrcmpiA(layout.picture.c_str(), "logo") == 0) picture_ = BitmapOf(DrawLogo());
  }
  ~ImageControl() override {
    if (picture_) DeleteObject(picture_);
  }
  void Draw(const DRAWITEMSTRUCT& item) override {
    const RECT& box = item.rcItem;
    BITMAP info{};
    if (picture_ == nullptr || !GetObjectW(picture_, sizeof info, &info)) {
      FillRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
      return;
    }
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(source, picture_);
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0,
               0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }

 private:
  HBITMAP picture_ = nullptr;
};

class LabelControl : public Windowed<Label> {
 public:
  using Windowed::Windowed;
  std::string Caption() const override { return Narrow(WindowText(window_)); }
  void SetCaption(const std::string& caption) override {
    RepaintBehind();
    SetWindowTextW(window_, Wide(caption).c_str());
    if (layout_.autoSize) FitText();
    RepaintBehind();
  }
  void Fit() override {
    if (layout_.autoSize) FitText();
  }
  void OnCommand(WORD code) override {
    if (code == STN_CLICKED) Fire(Click);
  }
  // Transparent, like a label drawn on the form: the frame edges it overlaps stay visible.
  HBRUSH OnColour(HDC dc) override {
    if (layout_.foreColor) SetTextColor(dc, *layout_.foreColor);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  }

 private:
  // Without a background of its own, the old text goes only when the form repaints the place.
  void RepaintBehind() {
    RECT box{};
    GetWindowRect(window_, &box);
    MapWindowPoints(nullptr, form_.Window(), reinterpret_cast<POINT*>(&box), 2);
    RedrawWindow(form_.Window(), &box, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }

  // A label that sizes itself: as wide and as high as its text, its left and top kept.
  void FitText() {
    std::wstring text = WindowText(window_);
    HDC dc = GetDC(window_);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)));
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &box, DT_CALCRECT | DT_LEFT);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    SetWindowPos(window_, nullptr, 0, 0, text.empty() ? 0 : box.right, box.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
};

class TextBoxControl : public Windowed<TextBox> {
 public:
  using Windowed::Windowed;
  void Watch() { WatchFocus(); }
  std::string Text() const override { return Narrow(WindowText(window_)); }
  void SetText(const std::string& text) override {
    const std::wstring wide = Wide(text);
    if (wide == WindowText(window_)) return;
    {
      Suppress quiet(setting_);
      SetWindowTextW(window_, wide.c_str());
    }
    Fire(Change);
  }
  void OnCommand(WORD code) override {
    if (code == EN_CHANGE && !setting_) Fire(Change);
  }
  void OnLostFocus() override { Fire(LostFocus); }

 private:
  bool setting_ = false;
};

// A check box drawn as a push button: the dialog manager gives it a tab stop and Space.
class ToggleControl : public Windowed<Toggle> {
 public:
  using Windowed::Windowed;
  void Press() {
    WatchFocus();
    if (layout_.pressed) SendMessageW(window_, BM_SETCHECK, BST_CHECKED, 0);
  }
  bool Value() const override { return SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // BM_SETCHECK sends no notification: the program's change raises Click here.
  void SetValue(bool pressed) override {
    if (pressed == Value()) return;
    SendMessageW(window_, BM_SETCHECK, pressed ? BST_CHECKED : BST_UNCHECKED, 0);
    Fire(Click);
  }
  void OnCommand(WORD code) override {
    if (code == BN_CLICKED) Fire(Click);
  }
  void OnLostFocus() override { Fire(LostFocus); }
};

class DropDownListControl : public Windowed<DropDownList> {
 public:
  using Windowed::Windowed;
  void Fill() {
    WatchFocus();
    for (const std::string& item : layout_.items)
      SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  }
  int ListCount() const override {
    return static_cast<int>(SendMessageW(window_, CB_GETCOUNT, 0, 0));
  }
  std::string List(int index) const override {
    const LRESULT length = SendMessageW(window_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(window_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return Narrow(text);
  }
  int16_t ListIndex() const override {
    return static_cast<int16_t>(SendMessageW(window_, CB_GETCURSEL, 0, 0));
  }
  void SetListIndex(int index) override {
    if (index < -1 || index >= ListCount()) Raise(kErrInvalidPropertyValue);
    if (index == ListIndex()) return;
    {
      Suppress quiet(setting_);
      SendMessageW(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    Fire(Click);
  }
  // The window's height includes the dropped list: room for every item.
  PixelRect Bounds(int dpi) const override {
    PixelRect rect = ChildWindow::Bounds(dpi);
    const int rows = std::max<int>(static_cast<int>(layout_.items.size()), 1) + 1;
    rect.height *= rows + 1;
    return rect;
  }
  void Place(int dpi, HFONT font) override {
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const PixelRect rect = Bounds(dpi);
    SetWindowPos(window_, nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void OnCommand(WORD code) override {
    if (code == CBN_SELCHANGE && !setting_) Fire(Click);
  }
  void OnLostFocus() override { Fire(LostFocus); }

 private:
  bool setting_ = false;
};

}  // namespace

namespace {

// Windows 8 and later let a timer come late by a tolerance, so that the system wakes once for
// several; elsewhere every timer is a plain one.
using SetCoalescableTimerFn = UINT_PTR WINAPI(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

}  // namespace

class Win32Timer : public LayoutTimer {
 public:
  Win32Timer(HWND window, UINT_PTR id, const ControlLayout& layout)
      : LayoutTimer(layout), window_(window), id_(id) {
    Apply();
  }
  ~Win32Timer() override { KillTimer(window_, id_); }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;

  UINT_PTR Id() const { return id_; }

 private:
  void Run(bool running, int interval) override {
    static const auto coalescable =
        LaterFunction<SetCoalescableTimerFn>(L"user32.dll", "SetCoalescableTimer");
    if (!running)
      KillTimer(window_, id_);
    else if (Slack() > 0 && coalescable)
      coalescable(window_, id_, static_cast<UINT>(interval), nullptr, static_cast<ULONG>(Slack()));
    else
      SetTimer(window_, id_, static_cast<UINT>(interval), nullptr);
  }

  HWND window_;
  UINT_PTR id_;
};

void Win32Form::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  if (GetClassInfoExW(instance, kClassName, &windowClass)) return;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  windowClass.hIcon = LoadIconW(instance, kProgramIcon);
  RegisterClassExW(&windowClass);
}

Win32Form* Win32Form::FromHandle(HWND window) {
  wchar_t name[64] = {};
  if (window == nullptr || !GetClassNameW(window, name, 64) || wcscmp(name, kClassName) != 0)
    return nullptr;
  return reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

Win32Form::Win32Form(const FormHost& host, const FormLayout& layout)
    : host_(host), layout_(layout) {
  RegisterClass(host_.instance);
  switch (layout_.border) {
    case BorderStyle::Sizable:
      style_ = WS_OVERLAPPEDWINDOW;
      break;
    case BorderStyle::FixedSingle:
      style_ = WS_OVERLAPPED | WS_CAPTION;
      break;
    case BorderStyle::FixedDialog:
      style_ = WS_OVERLAPPED | WS_CAPTION;
      exStyle_ = WS_EX_DLGMODALFRAME;
      break;
    case BorderStyle::None:
      style_ = WS_POPUP;
      break;
  }
  if (layout_.controlBox && (style_ & WS_CAPTION)) style_ |= WS_SYSMENU;
  // A dialog frame with neither caption nor control box has no title bar.
  if (layout_.border == BorderStyle::FixedDialog && layout_.caption.empty() &&
      !layout_.controlBox) {
    style_ = WS_POPUP | WS_DLGFRAME;
    exStyle_ = WS_EX_DLGMODALFRAME;
  }
  const bool overlapped = (style_ & WS_POPUP) == 0;
  const HWND owner = layout_.showInTaskbar ? nullptr : host_.owner;
  window_ = CreateWindowExW(exStyle_, kClassName, Wide(layout_.caption).c_str(), style_,
                            overlapped ? CW_USEDEFAULT : 0, overlapped ? CW_USEDEFAULT : 0, 0, 0,
                            owner, nullptr, host_.instance, this);
  if (window_ == nullptr) Raise(7);  // out of memory, as the host run time says it
  dpi_ = WindowDpi(window_);
  CreateChildren();
  CreateTimers();
  SizeToDpi();
}

Win32Form::~Win32Form() {
  timers_.clear();
  if (window_) {
    const std::vector<HFONT> fonts = ChildFonts(window_);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
    for (HFONT font : fonts) DeleteObject(font);
  }
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

void Win32Form::CreateChildren() {
  // Creation order is the z-order and the tab order: controls by tab index first, then frames
  // from the innermost out, so that a frame lies below what it holds. A label that names a
  // control comes right before it: screen readers name a control by the static text before
  // it, and the label's mnemonic moves the focus to the next control. Labels take no focus,
  // so the order of Tab stays.
  std::vector<const ControlLayout*> order;
  std::vector<std::pair<const ControlLayout*, const ControlLayout*>> labels;  // label, control
  for (const ControlLayout& control : layout_.controls) {
    if (control.kind != ControlKind::Timer && control.kind != ControlKind::Windowless)
      order.push_back(&control);
    if (const ControlLayout* label = LabelFor(layout_, control))
      labels.emplace_back(label, &control);
  }
  auto rank = [&](const ControlLayout* control) {
    if (control->kind == ControlKind::Frame)
      return std::tuple{2, -ContainerDepth(layout_, *control), 0};
    for (const auto& [label, named] : labels)
      if (label == control) return std::tuple{named->tabIndex < 0 ? 1 : 0, named->tabIndex, 0};
    return std::tuple{control->tabIndex < 0 ? 1 : 0, control->tabIndex, 1};
  };
  std::stable_sort(order.begin(), order.end(), [&](const ControlLayout* a, const ControlLayout* b) {
    return rank(a) < rank(b);
  });

  for (const ControlLayout* control : order) {
    const int id = kFirstControlId + static_cast<int>(control - layout_.controls.data());
    const std::wstring text = Wide(control->text);
    const DWORD align = control->alignment == Alignment::Centre  ? SS_CENTER
                        : control->alignment == Alignment::Right ? SS_RIGHT
                                                                 : SS_LEFT;
    std::unique_ptr<ChildWindow> child;
    switch (control->kind) {
      case ControlKind::Label: {
        auto label = std::make_unique<LabelControl>(*this, *control, id);
        label->Create(L"STATIC", SS_NOTIFY | align, 0, text, host_.instance);
        child = std::move(label);
        break;
      }
      case ControlKind::Frame: {
        auto frame = std::make_unique<ClickControl>(*this, *control, id, STN_CLICKED);
        frame->Create(L"STATIC", SS_NOTIFY | SS_ETCHEDFRAME, 0, L"", host_.instance);
        child = std::move(frame);
        break;
      }
      case ControlKind::TextBox: {
        auto box = std::make_unique<TextBoxControl>(*this, *control, id);
        box->Create(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE, text,
                    host_.instance);
        box->Watch();
        child = std::move(box);
        break;
      }
      case ControlKind::DropDownList: {
        auto list = std::make_unique<DropDownListControl>(*this, *control, id);
        list->Create(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, L"",
                     host_.instance);
        list->Fill();
        child = std::move(list);
        break;
      }
      case ControlKind::Button: {
        auto button = std::make_unique<ClickControl>(*this, *control, id, BN_CLICKED);
        button->Create(L"BUTTON",
                       WS_TABSTOP | (control->isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
                       text, host_.instance);
        child = std::move(button);
        break;
      }
      case ControlKind::Toggle: {
        auto toggle = std::make_unique<ToggleControl>(*this, *control, id);
        toggle->Create(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE, 0, text,
                       host_.instance);
        toggle->Press();
        child = std::move(toggle);
        break;
      }
      case ControlKind::Image: {
        auto image = std::make_unique<ImageControl>(*this, *control, id);
        image->Create(L"STATIC", SS_NOTIFY | SS_OWNERDRAW, 0, L"", host_.instance);
        child = std::move(image);
        break;
      }
      case ControlKind::Timer:
      case ControlKind::Windowless:
        break;
    }
    if (!child) continue;
    if (control->tabIndex >= 0 && (GetWindowLongPtrW(child->Window(), GWL_STYLE) & WS_TABSTOP))
      usesDialogKeys_ = true;
    children_.push_back(std::move(child));
  }
}

void Win32Form::CreateTimers() {
  UINT_PTR id = kFirstTimerId;
  for (const ControlLayout& control : layout_.controls)
    if (control.kind == ControlKind::Timer)
      timers_.push_back(std::make_unique<Win32Timer>(window_, id++, control));
}

void Win32Form::ApplyDpi(int dpi) {
  dpi_ = dpi;
  // The fonts of the old DPI go once every control has the new ones.
  const std::vector<HFONT> oldFonts = ChildFonts(window_);
  fonts_.clear();
  for (const auto& child : children_) child->Place(dpi, FontFor(child->LayoutOf().font));
  for (HFONT font : oldFonts) DeleteObject(font);
  SizeToDpi();
}

HFONT Win32Form::FontFor(const std::optional<Font>& font) {
  for (const auto& [made, handle] : fonts_)
    if (made == font) return handle;
  fonts_.emplace_back(font, CreateLayoutFont(font, dpi_));
  return fonts_.back().second;
}

void Win32Form::SizeToDpi() {
  const int dpi = dpi_;
  const PixelRect client = ClientPixels(layout_, dpi);
  const SIZE size = WindowSizeForClient(client.width, client.height, style_, exStyle_, dpi);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Where the frame is not what the system computed for the DPI, measure and correct once.
  RECT actual{};
  GetClientRect(window_, &actual);
  if (actual.right != client.width || actual.bottom != client.height)
    SetWindowPos(window_, nullptr, 0, 0, size.cx + client.width - actual.right,
                 size.cy + client.height - actual.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetIcons();
}

void Win32Form::SetIcons() {
  const ResourceName name(layout_.icon.empty() ? "APPICON" : layout_.icon);
  auto load = [&](int size) {
    return static_cast<HICON>(LoadImageW(host_.instance, name.Get(), IMAGE_ICON,
                                         ScaleForDpi(size, dpi_), ScaleForDpi(size, dpi_), 0));
  };
  HICON big = load(GetSystemMetrics(SM_CXICON));
  HICON small = load(GetSystemMetrics(SM_CXSMICON));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  bigIcon_ = big;
  smallIcon_ = small;
}

void Win32Form::Centre() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  RECT rect{};
  GetWindowRect(window_, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::Show() {
  if (!shownBefore_ && layout_.centred) Centre();
  shownBefore_ = true;
  if (Visible()) {
    // Shown again: to the front of its band, without taking the focus from the user.
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  // An alert leaves the focus where the user is typing; Alt+Tab reaches it.
  ShowWindow(window_, layout_.alert ? SW_SHOWNOACTIVATE : SW_SHOW);
  UpdateWindow(window_);
}

namespace {

// UI Automation's notifications (Windows 10 1709 on): what a screen reader says, queued so that
// the newest replaces an older one not yet spoken. The provider is the window's own host
// provider; the interfaces are used only as IUnknown, so no UI Automation header is needed.
using HostProviderFn = HRESULT WINAPI(HWND, IUnknown**);
using RaiseNotificationFn = HRESULT WINAPI(IUnknown*, int kind, int processing, BSTR text,
                                           BSTR activity);
using AllocStringFn = BSTR WINAPI(const OLECHAR*);
using FreeStringFn = void WINAPI(BSTR);
constexpr int kNotificationKindOther = 4, kImportantMostRecent = 1;

bool RaiseNotification(HWND window, const std::wstring& text) {
  static const auto host =
      LaterFunction<HostProviderFn>(L"uiautomationcore.dll", "UiaHostProviderFromHwnd");
  static const auto raise =
      LaterFunction<RaiseNotificationFn>(L"uiautomationcore.dll", "UiaRaiseNotificationEvent");
  static const auto alloc = LaterFunction<AllocStringFn>(L"oleaut32.dll", "SysAllocString");
  static const auto free = LaterFunction<FreeStringFn>(L"oleaut32.dll", "SysFreeString");
  IUnknown* provider = nullptr;
  if (!host || !raise || !alloc || !free || FAILED(host(window, &provider)) || !provider)
    return false;
  const BSTR said = alloc(text.c_str()), activity = alloc(L"Duskline.Countdown");
  const HRESULT result =
      raise(provider, kNotificationKindOther, kImportantMostRecent, said, activity);
  free(said);
  free(activity);
  provider->Release();
  return SUCCEEDED(result);
}

}  // namespace

void Win32Form::Announce(const Announcement& announcement) {
  // The alert event makes screen readers read a window that did not take the focus, as they
  // read a message box; where there are no notifications, it also stands in for them.
  if (announcement.appearing)
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window_, OBJID_CLIENT, CHILDID_SELF);
  if (!RaiseNotification(window_, Wide(announcement.text)) && !announcement.appearing)
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window_, OBJID_CLIENT, CHILDID_SELF);
}

void Win32Form::Hide() {
  ShowWindow(window_, SW_HIDE);
}

void Win32Form::Minimize() {
  ShowWindow(window_, SW_MINIMIZE);
}

bool Win32Form::Visible() const {
  return (GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
}

ChildWindow* Win32Form::Find(const std::string& name, int index) const {
  for (const auto& child : children_)
    if (child->LayoutOf().name == name && child->LayoutOf().index == index) return child.get();
  return nullptr;
}

ChildWindow* Win32Form::FindById(int id) const {
  for (const auto& child : children_)
    if (child->Id() == id) return child.get();
  return nullptr;
}

HWND Win32Form::ChildHandle(const std::string& name, int index) const {
  const ChildWindow* child = Find(name, index);
  return child ? child->Window() : nullptr;
}

Control* Win32Form::FindControl(const std::string& name, int index, ControlKind& kind) const {
  ChildWindow* child = Find(name, index);
  if (child == nullptr) return nullptr;
  kind = child->LayoutOf().kind;
  return &child->AsControl();
}

Timer* Win32Form::FindTimer(const std::string& name) const {
  for (const auto& timer : timers_)
    if (timer->Name() == name) return timer.get();
  return nullptr;
}

ChildWindow* Win32Form::ButtonWith(bool ControlLayout::*flag) const {
  for (const auto& child : children_)
    if (child->LayoutOf().kind == ControlKind::Button && child->LayoutOf().*flag)
      return child.get();
  return nullptr;
}

void Win32Form::ClickButton(bool ControlLayout::*flag) {
  ChildWindow* button = ButtonWith(flag);
  if (button && IsWindowEnabled(button->Window())) SendMessageW(button->Window(), BM_CLICK, 0, 0);
}

LRESULT Win32Form::OnDefaultId() const {
  // A focused push button takes Enter itself, as in a dialog; otherwise the default button.
  const HWND focus = GetFocus();
  for (const auto& child : children_)
    if (child->Window() == focus && child->LayoutOf().kind == ControlKind::Button)
      return MAKELRESULT(child->Id(), DC_HASDEFID);
  if (const ChildWindow* button = ButtonWith(&ControlLayout::isDefault))
    return MAKELRESULT(button->Id(), DC_HASDEFID);
  return 0;
}

LRESULT Win32Form::OnActivate(WPARAM wParam, LPARAM lParam) {
  if (!usesDialogKeys_) return DefWindowProcW(window_, WM_ACTIVATE, wParam, lParam);
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus && IsChild(window_, focus)) savedFocus_ = focus;
    return 0;
  }
  if (!HIWORD(wParam)) {  // not minimised
    HWND target = savedFocus_ && IsChild(window_, savedFocus_) && IsWindowEnabled(savedFocus_)
                      ? savedFocus_
                      : GetNextDlgTabItem(window_, nullptr, FALSE);
    if (target) SetFocus(target);
  }
  return 0;
}

LRESULT CALLBACK Win32Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Form* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    form = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ReportToLastResort(form->host_.lastResort);
    return 0;
  }
}

LRESULT Win32Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (lParam == 0 || id == IDOK || id == IDCANCEL) {
        // The dialog manager's Enter and Escape.
        if (id == IDCANCEL) ClickButton(&ControlLayout::isCancel);
        if (id == IDOK) ClickButton(&ControlLayout::isDefault);
        return 0;
      }
      if (ChildWindow* child = FindById(id)) child->OnCommand(HIWORD(wParam));
      return 0;
    }
    case DM_GETDEFID:
      return OnDefaultId();
    case kLostFocusMessage:
      if (ChildWindow* child = FindById(static_cast<int>(wParam))) child->OnLostFocus();
      return 0;
    case WM_CTLCOLORSTATIC: {
      ChildWindow* child = FindById(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      if (HBRUSH brush = child ? child->OnColour(reinterpret_cast<HDC>(wParam)) : nullptr)
        return reinterpret_cast<LRESULT>(brush);
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (ChildWindow* child = FindById(static_cast<int>(item->CtlID))) child->Draw(*item);
      return TRUE;
    }
    case WM_TIMER:
      for (const auto& timer : timers_)
        if (timer->Id() == wParam) {
          // A tick that disabled its timer may still find one WM_TIMER queued.
          if (timer->Enabled()) Fire(timer->Tick);
          return 0;
        }
      return 0;
    case WM_CLOSE:
      if (QueryUnload)
        QueryUnload();
      else
        Hide();
      return 0;
    case WM_LBUTTONDOWN:
      mouseDown_ = true;
      return 0;
    case WM_LBUTTONUP:
      if (mouseDown_) {
        mouseDown_ = false;
        Fire(Click);
      }
      return 0;
    case WM_CHAR:
      if (KeyPress) KeyPress(static_cast<int>(wParam));
      return 0;
    case WM_ACTIVATE:
      return OnActivate(wParam, lParam);
    case WM_SETFOCUS:
      if (usesDialogKeys_) {
        if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
        return 0;
      }
      break;
    case WM_POWERBROADCAST:
      // Sent to every top-level window once the computer is back, whoever woke it.
      if (wParam == PBT_APMRESUMEAUTOMATIC) Fire(SystemResumed);
      break;
    case WM_TIMECHANGE:
      // Sent to every top-level window when the clock or the time zone was set.
      Fire(ClockChanged);
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wParam));
      InvalidateRect(window_, nullptr, TRUE);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace duskline::win32
