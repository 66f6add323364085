// The service switches of the command line, errors of the load event, and a run under the
// service control manager.
#include <gtest/gtest.h>

#include "support/ProgramRun.h"

namespace duskline {
namespace {

// A switch registers or removes the service, tells how it went and ends the program; an error
// of the load goes to the event log, or ends the program with a message where the service may
// show one on the desktop.
TEST(Service, SwitchesAndLoadErrors) {
  using L = Log;
  const std::string unsafe = "C:\\Duskline can be written by Everyone";
  const std::string invalid = "Event 109 1 [380] Invalid property value";
  struct Case {
    const char* command;
    Log log;
    const char* box = nullptr;
    bool result = true, desktop = false;
    std::string writable = "";
  };
  // clang-format off
  const Case cases[] = {
      {"-install", L{"Desktop 1", "Install", "Store Parameters TimerInterval=1000"},
       "Duskline Service erfolgreich installiert."},
      {"-install", L{"Desktop 1", "Install"}, "Duskline Service konnte nicht installiert werden.", false},
      {"-uninstall", L{"Uninstall"}, "Duskline Service erfolgreich deinstalliert."},
      {"-uninstall", L{"Uninstall"}, "Duskline Service konnte nicht deinstalliert werden.", false},
      {"-debug", L{"Debug 1", "Accept 2", "Run"}}, {"-Install", L{"Accept 2", "Run"}},
      {"-install", L{"Desktop 1", "Event 109 1 Not installed: " + unsafe + ". Put the program in a "
                     "folder that only administrators can change, such as one under Program Files."},
       "Duskline Service konnte nicht installiert werden.", true, false, unsafe},
      {"12:30 7", L{"Accept 2", "Run", invalid}}, {"12:30 -2", L{"Accept 2", "Run", invalid}},
      {"12:30 32767", L{"Accept 2", "Run", invalid}},
      {"12:00 99999", L{"Accept 2", "Run", "Event 109 1 [6] Overflow"}},
      {"12:00 99999", L{"Accept 2", "Run"}, "[6] Overflow", true, true}};
  // clang-format on
  for (const Case& c : cases) {
    ProgramRun run;
    run.fake_.service.result = c.result;
    run.fake_.service.desktop = c.desktop;
    run.fake_.service.writable = c.writable;
    run.Start(c.command, 10, 0);
    EXPECT_EQ(run.ended_, c.box != nullptr) << c.command;
    EXPECT_EQ(run.fake_.service.log, c.log) << c.command;
    EXPECT_EQ(run.fake_.windows.boxes, c.box ? Log{std::string("Vesperon: ") + c.box} : Log{});
    EXPECT_TRUE(run.ended_ || run.Window().Visible()) << c.command;
  }
}

TEST_F(ProgramTest, AsAServiceItHidesItselfPausesContinuesAndStops) {
  Start("", 10, 0);
  ServiceControl& service = fake_.service;
  auto accepted = [](const std::function<void(bool&)>& request) {
    bool flag = false;
    request(flag);
    return flag;
  };
  EXPECT_TRUE(accepted(service.ServiceStarted));
  EXPECT_FALSE(Window().ControlNamed("Frame1").Visible());
  for (const char* field : {"txtTime", "cmbType", "cmbTrigger", "txtWait", "txtProgram"})
    EXPECT_FALSE(Window().ControlNamed(field).Enabled()) << field;
  for (int day = 0; day < kDaysInWeek; ++day)
    EXPECT_FALSE(Window().ToggleNamed("chkDay", day).Enabled()) << day;
  EXPECT_TRUE(Window().Visible());
  EXPECT_EQ(Seconds(1).front(), "Add");  // after half a second
  EXPECT_TRUE(accepted(service.ServicePaused));
  EXPECT_EQ(Seconds(5), Log{});
  EXPECT_TRUE(accepted(service.ServiceContinued));
  EXPECT_EQ(Seconds(1), Log{"Icon 99"});
  static_cast<fakes::FakeControl<Control>&>(Window().ControlNamed("Frame1")).fail = true;
  EXPECT_TRUE(accepted(service.ServiceStarted)) << "set before the failing step";
  EXPECT_TRUE(Ends([&] { service.ServiceStopped(); }));
  EXPECT_EQ(fake_.service.log,
            (Log{"Accept 2", "Run", "Event 4 110 Service started", "Event 4 110 Service paused",
                 "Event 4 110 Service continued",
                 "Event 109 1 [438] Object doesn't support this property or method",
                 "Event 4 110 Service stopped"}));
}

}  // namespace
}  // namespace duskline
