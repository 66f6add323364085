// Start-up of the main window on the fakes with any argument text and any settings file (read
// through our real file functions): it loads the schedule the rules give, or its load trap
// reports overflow or an index the list refuses, or a service switch ends the program. Never an
// unhandled error, never a write of the settings file.
//
// Input: one flag byte (bit 0: desktop interaction, bit 1: no settings file), then the
// argument text, 0x1F and the file's bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/test/Fakes.h"
#include "platform/Ini.h"
#include "profile/clsProfileINI.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleCommand.h"

namespace {

using namespace duskline;
using namespace duskline::fakes;
using namespace duskline::fuzzing;

// The system's INI functions, with every write refused and counted.
class ReadOnlyIni : public IniFunctions {
 public:
  uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, char* buffer, uint32_t size,
                                   const std::string& fileName) override {
    return system_->GetPrivateProfileString(section, key, defaultValue, buffer, size, fileName);
  }
  bool WritePrivateProfileString(const std::string&, const std::optional<std::string>&,
                                 const std::optional<std::string>&, const std::string&) override {
    ++writes;
    return false;
  }
  int writes = 0;

 private:
  std::unique_ptr<IniFunctions> system_ = MakeSystemIniFunctions();
};

struct Run {
  FakePlatform fake;
  ReadOnlyIni ini;
  Platform platform{fake.app, fake.windows, fake.clock,   ini,
                    fake.api, fake.tray,    fake.service, fake.events};
  Main main{platform};
  bool ended = false;

  void Start() {
    try {
      main.Start();
    } catch (const ProgramEnded&) {
      ended = true;
    }
  }
};

// What the load trap reports for this source text, or "" when it loads.
std::string ExpectedReport(const std::string& source, ScheduleParts& parts) {
  try {
    parts = ParseScheduleCommand(source);
  } catch (const RuntimeError& error) {
    Check(error.Number() == kErrOverflow, "parse raised an error other than overflow");
    return "[6] Overflow";
  }
  if (parts.typeIndex < -1 || parts.typeIndex > 2) return "[380] Invalid property value";
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool desktop = data[0] & 1;
  const bool fileMissing = data[0] & 2;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t split = rest.find('\x1F');
  const std::string commandLine(rest.substr(0, split));
  const std::string bytes(split == std::string_view::npos ? "" : rest.substr(split + 1));

  const std::string& folder = ScratchFolder();
  const std::string path = folder + "/Vesperon.ini";
  ::unlink(path.c_str());
  if (!fileMissing) std::ofstream(path, std::ios::binary) << bytes;

  Run run;
  run.fake.app.path = folder;
  run.fake.app.commandLine = commandLine;
  run.fake.service.desktopInteraction = desktop;
  run.Start();

  Check(run.fake.unhandled.empty(), "an unhandled error");
  Check(run.ini.writes == 0, "start-up wrote the settings file");
  Check(fileMissing ? ::access(path.c_str(), F_OK) != 0 : ReadAll(path) == bytes,
        "the settings file changed");
  Check(Strays(folder).empty(), "a file appeared beside the settings");

  if (commandLine == "-install" || commandLine == "-uninstall") {
    Check(run.ended && run.fake.windows.messageBoxes.size() == 1, "a switch did not end");
    return 0;
  }

  std::string source = commandLine;
  if (source.empty()) {
    clsProfileINI profile(run.ini);
    source = profile.GetProfileText(ScheduleFilePath(folder), kScheduleSection, kScheduleEntry,
                                    kDefaultSchedule);
  }
  ScheduleParts parts;
  const std::string report = ExpectedReport(source, parts);
  const auto& boxes = run.fake.windows.messageBoxes;
  const auto& entries = run.fake.service.entries;
  if (report.empty()) {
    Check(!run.ended && boxes.empty(), "a loadable schedule ended the program");
    Check(entries.empty(), "a loadable schedule was reported");
    FakeForm& fakeForm = *run.fake.windows.Find("Main");
    Check(fakeForm.Visible(), "the window was not shown");
    Check(fakeForm.FakeTextBoxNamed("txtTime").Text() == parts.timeText, "another time text");
    Check(fakeForm.FakeDropDownListNamed("cmbType").ListIndex() == parts.typeIndex,
          "another index");
  } else if (desktop) {
    Check(run.ended, "a load error with desktop interaction did not end the program");
    Check(boxes.size() == 1 && boxes[0].text == report, "the load error was not shown as such");
  } else {
    Check(!run.ended && boxes.empty(), "a load error without desktop interaction ended");
    Check(entries.size() == 1 && entries[0].text == report, "the load error was not logged");
  }
  return 0;
}
