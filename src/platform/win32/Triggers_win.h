// What the triggers measure on Windows: the time since the last input (GetLastInputInfo; from
// session 0 the console session's, through WTSQuerySessionInformation), and the end of every
// instance of a program, waited for on process handles by a thread that posts to the
// user-interface thread.
#pragma once

#include <vector>

#include "platform/Triggers.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

class LastInput : public IdleSource {
 public:
  std::optional<int64_t> IdleMilliseconds() override;
};

class ProcessWaiter : public ProcessWatch {
 public:
  explicit ProcessWaiter(HINSTANCE instance);
  ~ProcessWaiter() override;
  ProcessWaiter(const ProcessWaiter&) = delete;
  ProcessWaiter& operator=(const ProcessWaiter&) = delete;

  std::vector<std::string> Running() override;
  bool Watch(const std::string& name) override;
  void Cancel() override;

  static constexpr UINT kEndedMessage = WM_APP + 8;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI Wait(LPVOID self);

  HWND window_ = nullptr;
  HANDLE stop_ = nullptr;
  HANDLE waiter_ = nullptr;
  std::vector<HANDLE> processes_;
  WPARAM watch_ = 0;  // a post from an earlier watch is not this one's end
};

}  // namespace duskline::win32
