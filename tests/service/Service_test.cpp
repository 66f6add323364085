// The service switches of the command line, errors of the load event, and a run under the
// service control manager.
#include <gtest/gtest.h>

#include "support/ProgramRun.h"

namespace duskline {
namespace {

TEST_F(ProgramTest, ServiceSwitchesRegisterReportAndEnd) {
  using L = Log;
  // clang-format off
  const std::tuple<const char*, bool, Log, const char*> cases[] = {
      {"-install", true, L{"Desktop 1", "Install", "Store Parameters TimerInterval=1000"},
       "Duskline Service erfolgreich installiert."},
      {"-install", false, L{"Desktop 1", "Install"}, "Duskline Service konnte nicht installiert werden."},
      {"-uninstall", true, L{"Uninstall"}, "Duskline Service erfolgreich deinstalliert."},
      {"-uninstall", false, L{"Uninstall"}, "Duskline Service konnte nicht deinstalliert werden."},
      {"-debug", true, L{"Debug 1", "Accept 2", "Run"}, nullptr},
      {"-Install", true, L{"Accept 2", "Run"}, nullptr}};
  // clang-format on
  for (const auto& [command, result, log, box] : cases) {
    ProgramRun run;
    run.fake_.service.result = result;
    run.Start(command, 10, 0);
    EXPECT_EQ(run.ended_, box != nullptr) << command;
    EXPECT_EQ(run.fake_.service.log, log) << command;
    EXPECT_EQ(run.fake_.windows.boxes, box ? Log{std::string("Vesperon: ") + box} : Log{});
  }
  fake_.service.writable = "C:\\Duskline can be written by Everyone";
  Start("-install", 10, 0);
  EXPECT_EQ(fake_.service.log,
            (Log{"Desktop 1",
                 "Event 109 1 Not installed: C:\\Duskline can be written by Everyone. Put the "
                 "program in a folder that only administrators can change, such as one under "
                 "Program Files."}));
  EXPECT_EQ(fake_.windows.boxes,
            Log{"Vesperon: Duskline Service konnte nicht installiert werden."});
}

TEST_F(ProgramTest, LoadErrorsGoToTheEventLogOrToTheDesktopAndEnd) {
  for (const char* command : {"12:30 7", "12:30 -2", "12:30 32767"}) {
    ProgramRun run;
    run.Start(command, 10, 0);
    EXPECT_EQ(run.fake_.service.log.back(), "Event 109 1 [380] Invalid property value") << command;
  }
  Start("12:00 99999", 10, 0);
  EXPECT_FALSE(ended_);
  EXPECT_EQ(fake_.service.log.back(), "Event 109 1 [6] Overflow");
  EXPECT_TRUE(Window().Visible());
  ProgramRun run;
  run.fake_.service.desktop = true;
  run.Start("12:00 99999", 10, 0);
  EXPECT_TRUE(run.ended_);
  EXPECT_EQ(run.fake_.windows.boxes, Log{"Vesperon: [6] Overflow"});
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
  EXPECT_FALSE(Window().Text("txtTime").Enabled());
  EXPECT_FALSE(Window().List("cmbType").Enabled());
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
