// What the triggers measure on Windows: the time since the last input (GetLastInputInfo; from
// session 0 the console session's, through WTSQuerySessionInformation), and the end of every
// instance of a program, waited for on process handles by the message loop.
#pragma once

#include <vector>

#include "platform/Triggers.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

class Win32WindowSystem;

class LastInput : public IdleSource {
 public:
  std::optional<int64_t> IdleMilliseconds() override;
};

class ProcessWaiter : public ProcessWatch {
 public:
  explicit ProcessWaiter(Win32WindowSystem& loop) : loop_(loop) {}
  ~ProcessWaiter() override { Cancel(); }
  ProcessWaiter(const ProcessWaiter&) = delete;
  ProcessWaiter& operator=(const ProcessWaiter&) = delete;

  std::vector<std::string> Running() override;
  bool Watch(const std::string& name) override;
  void Cancel() override;

 private:
  void WaitForNext();

  Win32WindowSystem& loop_;
  std::vector<HANDLE> processes_;  // the instances not seen to end yet
};

}  // namespace duskline::win32
