// The main window started on the fakes, for tests that drive whole runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/test/Fakes.h"
#include "scheduler/Main.h"

namespace duskline::fakes {

inline const std::string kIniPath = "C:\\Program Files\\Duskline\\Vesperon.ini";

class MainHarness {
 public:
  // Starts the program at the given time with the given argument text. An end during the
  // start (a service switch, a reported load error) is remembered, not thrown.
  explicit MainHarness(const std::string& commandLine = "", int hour = 10, int minute = 0,
                       int second = 0) {
    fake.app.commandLine = commandLine;
    fake.clock.SetTime(hour, minute, second);
  }

  void Start() {
    try {
      main.Start();
    } catch (const ProgramEnded&) {
      endedAtStart = true;
    }
  }

  FakeForm& form() { return *fake.windows.Find("Main"); }
  FakeTextBox& txtTime() { return form().FakeTextBoxNamed("txtTime"); }
  FakeDropDownList& cmbType() { return form().FakeDropDownListNamed("cmbType"); }
  FakeTimer& tmrCheck() { return form().FakeTimerNamed("tmrCheck"); }
  FakeForm* attention() { return fake.windows.Find("Attention"); }

  // The stored schedule, or nullopt when none was written.
  std::optional<std::string> Stored() const { return fake.ini.Value(kIniPath, "Command", "Code"); }
  void Store(const std::string& command) { fake.ini.files[kIniPath]["Command"]["Code"] = command; }

  // Values written to the schedule entry, in order.
  std::vector<std::string> ScheduleWrites() const {
    std::vector<std::string> values;
    for (const IniWrite& write : fake.ini.writes)
      if (write.file == kIniPath && write.section == "Command" && write.key == "Code")
        values.push_back(write.value.value_or("<none>"));
    return values;
  }

  FakePlatform fake;
  Main main{fake.platform};
  bool endedAtStart = false;
};

}  // namespace duskline::fakes
