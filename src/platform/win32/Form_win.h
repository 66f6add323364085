// A form of the window system: a top-level window built from its layout, with child windows
// for its controls and SetTimer timers. User actions raise the events from the window
// procedure; the program's own SetText and SetListIndex raise them directly from the call.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/Events.h"
#include "platform/LayoutForm.h"
#include "platform/Runtime.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

// What a form needs of the window system that made it.
struct FormHost {
  HINSTANCE instance = nullptr;
  HWND owner = nullptr;  // owner of the forms kept out of the taskbar
  const LastResort* lastResort = nullptr;
};

class ChildWindow;
class Win32Timer;

class Win32Form : public LayoutForm {
 public:
  static constexpr wchar_t kClassName[] = L"DusklineForm";
  // Posted by a control that lost the focus to another control of the form.
  static constexpr UINT kLostFocusMessage = WM_APP + 1;

  static void RegisterClass(HINSTANCE instance);
  // The form behind a top-level window of ours, else nullptr.
  static Win32Form* FromHandle(HWND window);

  Win32Form(const FormHost& host, const FormLayout& layout);
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  const FormLayout& Layout() const override { return layout_; }
  void Show() override;
  void Hide() override;
  void Minimize() override;
  bool Visible() const override;
  WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(window_); }
  void Announce(const Announcement& announcement) override;

  HWND Window() const { return window_; }
  int Dpi() const { return dpi_; }
  // The font for controls with that font at the form's DPI; controls with the same share it.
  HFONT FontFor(const std::optional<Font>& font);
  // Whether keys go through the dialog manager (tab order, Enter, Escape, mnemonics): true for
  // forms with a control that takes the focus; the others get the keys as KeyPress.
  bool UsesDialogKeys() const { return usesDialogKeys_; }
  // The child window of a control (for tests and the message loop).
  HWND ChildHandle(const std::string& name, int index = -1) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateChildren();
  void CreateTimers();
  void ApplyDpi(int dpi);
  void SizeToDpi();
  void SetIcons();
  void Centre();
  ChildWindow* Find(const std::string& name, int index) const;
  ChildWindow* FindById(int id) const;
  ChildWindow* ButtonWith(bool ControlLayout::*flag) const;
  Control* FindControl(const std::string& name, int index, ControlKind& kind) const override;
  Timer* FindTimer(const std::string& name) const override;
  LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
  LRESULT OnDefaultId() const;
  void ClickButton(bool ControlLayout::*flag);

  FormHost host_;
  FormLayout layout_;
  HWND window_ = nullptr;
  DWORD style_ = 0, exStyle_ = 0;
  int dpi_ = 96;
  bool usesDialogKeys_ = false;
  bool shownBefore_ = false;
  bool mouseDown_ = false;
  HWND savedFocus_ = nullptr;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
  std::vector<std::unique_ptr<ChildWindow>> children_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  std::vector<std::pair<std::optional<Font>, HFONT>> fonts_;  // made at dpi_, owned by children
};

}  // namespace duskline::win32
