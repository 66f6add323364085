#include "scheduler/Main.h"

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "profile/clsProfileINI.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {

Main::Main(Platform& platform) : platform_(platform) {}

Main::~Main() {
  // The controls outlive this object; they must not call back into it.
  platform_.tray.IconActivate = nullptr;
  platform_.service.ServiceStarted = nullptr;
  platform_.service.ServicePaused = nullptr;
  platform_.service.ServiceContinued = nullptr;
  platform_.service.ServiceStopped = nullptr;
  platform_.service.ConsoleAnswered = nullptr;
}

void Main::Start() {
  form_ = platform_.windows.CreateForm(MainLayout());
  WireEvents();
  platform_.events.Raise([this] { Form_Load(); });
  form_->Show();
}

void Main::WireEvents() {
  EventDispatcher& events = platform_.events;
  txtTime().Change = events.Wrap([this] { txtTime_Change(); });
  txtTime().LostFocus = events.Wrap([this] { txtTime_LostFocus(); });
  cmbType().Click = events.Wrap([this] { cmbType_Click(); });
  cmbType().LostFocus = events.Wrap([this] { cmbType_LostFocus(); });
  tmrCheck().Tick = events.Wrap([this] { tmrCheck_Timer(); });
  tmrAutoHide().Tick = events.Wrap([this] { tmrAutoHide_Timer(); });
  form_->ControlNamed("cmdHide").Click = events.Wrap([this] { cmdHide_Click(); });
  form_->ControlNamed("cmdClose").Click = events.Wrap([this] { cmdClose_Click(); });
  form_->ControlNamed("cmdAbout").Click = events.Wrap([this] { cmdAbout_Click(); });
  form_->QueryUnload = events.Wrap([this] { Form_Unload(); });
  platform_.tray.IconActivate = events.Wrap([this] { SysTray_IconActivate(); });

  using Request = std::function<void(bool&)>;
  ServiceControl& service = platform_.service;
  service.ServiceStarted =
      events.Wrap(Request([this](bool& success) { NTService1_ServiceStarted(success); }));
  service.ServicePaused =
      events.Wrap(Request([this](bool& success) { NTService1_ServicePaused(success); }));
  service.ServiceContinued =
      events.Wrap(Request([this](bool& success) { NTService1_ServiceContinued(success); }));
  service.ServiceStopped = events.Wrap([this] { NTService1_ServiceStopped(); });
  service.ConsoleAnswered = events.Wrap(
      std::function<void(int)>([this](int answer) { ConsoleMessage_Answered(answer); }));
}

void Main::Form_Load() {
  gblnAttentionShown_ = false;
  gblnWarningNotified_ = false;
  glngWhichWindows32_ = (platform_.api.GetVersion() & 0x80000000u) ? 0 : 1;
  try {
    const std::string arguments = platform_.app.CommandLine();
    RunServiceCommands(arguments);

    std::string source = arguments;
    if (source.empty()) {
      clsProfileINI profile(platform_.ini);
      source =
          profile.GetProfileText(ProfilePath(), kScheduleSection, kScheduleEntry, kDefaultSchedule);
    }
    const ScheduleParts schedule = ParseScheduleCommand(source);
    txtTime().SetText(schedule.timeText);
    cmbType().SetListIndex(schedule.typeIndex);
  } catch (const RuntimeError& error) {
    ReportLoadError(error);
  }
}

void Main::SaveSchedule() {
  const std::string command = ProduceScheduleCommand(txtTime().Text(), cmbType().ListIndex());
  clsProfileINI profile(platform_.ini);
  profile.WriteProfileText(ProfilePath(), kScheduleSection, kScheduleEntry, command);
}

std::string Main::ProfilePath() const {
  return ScheduleFilePath(platform_.app.Path());
}

void Main::txtTime_Change() {
  SetToolTip();
}
void Main::cmbType_Click() {
  SetToolTip();
}
void Main::txtTime_LostFocus() {
  SaveSchedule();
}
void Main::cmbType_LostFocus() {
  SaveSchedule();
}

TextBox& Main::txtTime() const {
  return form_->TextBoxNamed("txtTime");
}
DropDownList& Main::cmbType() const {
  return form_->DropDownListNamed("cmbType");
}
Timer& Main::tmrCheck() const {
  return form_->TimerNamed("tmrCheck");
}
Timer& Main::tmrAutoHide() const {
  return form_->TimerNamed("tmrAutoHide");
}

}  // namespace duskline
