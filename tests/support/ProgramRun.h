// A run of the program on the fakes: start-up from a command line at a time of day, a clock
// that moves only when told, and what the tray was asked meanwhile.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/test/Fakes.h"
#include "scheduler/Main.h"

namespace duskline {

using Log = std::vector<std::string>;

inline const std::string kIni = "C:\\Duskline\\Vesperon.ini";

class ProgramRun {
 public:
  void Start(const std::string& commandLine, int hour, int minute, int second = 0) {
    fake_.app.commandLine = commandLine;
    fake_.clock.start = {2024, 1, 1, hour, minute, second};
    ended_ = Ends([&] { main_.Start(); });
  }
  static bool Ends(const std::function<void()>& action) { return fakes::Ends(action); }
  // Moves the clock on and returns what the tray was asked meanwhile.
  Log Seconds(int seconds) {
    fake_.tray.log.clear();
    fake_.clock.Advance(seconds * 1000LL);
    return std::exchange(fake_.tray.log, {});
  }
  void Milliseconds(int64_t count) { fake_.clock.Advance(count); }
  fakes::FakeTimer& Check() { return Window().FakeTimerNamed("tmrCheck"); }
  int64_t DueIn() { return Check().due - fake_.clock.elapsed; }
  fakes::FakeForm& Window(const std::string& name = "Main") { return *fake_.windows.Find(name); }
  std::string Caption(const std::string& form, const std::string& label, int index = -1) {
    return Window(form).LabelNamed(label, index).Caption();
  }

  fakes::FakePlatform fake_;
  Main main_{fake_.platform};
  bool ended_ = false;
};

class ProgramTest : public testing::Test, public ProgramRun {};

}  // namespace duskline
