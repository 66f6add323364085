// The window system on Win32: forms, the message loop with the dialog keys of our forms and the
// kernel objects it waits on beside the messages, deferred destruction and message boxes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/win32/Form_win.h"

namespace duskline::win32 {

class Win32WindowSystem : public WindowSystem {
 public:
  explicit Win32WindowSystem(HINSTANCE instance);
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  std::unique_ptr<Form> CreateForm(const FormLayout& layout) override;
  void DestroyLater(std::unique_ptr<Form> form) override;
  void MessageBox(const std::string& text, const std::string& caption) override;

  // Receives what escapes an event handler into a window procedure.
  void SetLastResort(LastResort lastResort) { lastResort_ = std::move(lastResort); }

  // Translates and dispatches one message: keys of a form with focusable controls go through
  // the dialog manager (tab order, Enter, Escape, mnemonics).
  void Dispatch(MSG& message);
  // The message loop; returns the exit code of WM_QUIT.
  int Run();

  // Until it is signalled, the loop waits on `object` too, and then calls `signalled` once, on
  // this thread: what would otherwise take a thread of its own to wait. A modal loop (a message
  // box, a menu) defers it to its end. False when the loop waits on as many objects as it can.
  bool WaitFor(HANDLE object, std::function<void()> signalled);
  void StopWaitingFor(HANDLE object);

 private:
  static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  LastResort lastResort_;
  HWND host_ = nullptr;   // message-only: receives the deferred destructions
  HWND owner_ = nullptr;  // hidden: owns the forms that stay out of the taskbar
  std::vector<std::unique_ptr<Form>> doomed_;
  struct Wait {
    HANDLE object;
    std::function<void()> signalled;
  };
  std::vector<Wait> waits_;
};

}  // namespace duskline::win32
