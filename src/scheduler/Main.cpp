#include "scheduler/Main.h"

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "platform/Language.h"
#include "profile/clsProfileINI.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {

Main::Main(Platform& platform)
    : platform_(platform),
      policyReader_(platform.policy, [this](const std::string& text) { WriteWarningEntry(text); }) {
  SetLanguage(ChooseLanguage(platform.app.UserLanguages()));
}

Main::~Main() {
  // The controls outlive this object; they must not call back into it.
  platform_.tray.IconActivate = nullptr;
  platform_.service.ServiceStarted = nullptr;
  platform_.service.ServicePaused = nullptr;
  platform_.service.ServiceContinued = nullptr;
  platform_.service.ServiceStopped = nullptr;
  platform_.service.ConsoleAnswered = nullptr;
  platform_.policy.Changed = nullptr;
  platform_.processes.Ended = nullptr;
  if (following_) following_->Changed = nullptr;
}

void Main::Start() {
  form_ = platform_.windows.CreateForm(MainLayout());
  WireEvents();
  platform_.events.Raise([this] { Form_Load(); });
  // Following the system service, the program starts in the tray.
  if (following_) return platform_.events.Raise([this] { cmdHide_Click(); });
  form_->Show();
}

void Main::WireEvents() {
  EventDispatcher& events = platform_.events;
  txtTime().Change = events.Wrap(this, &Main::txtTime_Change);
  txtTime().LostFocus = events.Wrap(this, &Main::txtTime_LostFocus);
  cmbType().Click = events.Wrap(this, &Main::cmbType_Click);
  cmbType().LostFocus = events.Wrap(this, &Main::cmbType_LostFocus);
  for (int day = 0; day < kDaysInWeek; ++day) {
    chkDay(day).Click = events.Wrap([this, day] { chkDay_Click(day); });
    chkDay(day).LostFocus = events.Wrap(this, &Main::chkDay_LostFocus);
  }
  cmbTrigger().Click = events.Wrap(this, &Main::cmbTrigger_Click);
  cmbTrigger().LostFocus = events.Wrap(this, &Main::Trigger_LostFocus);
  txtWait().Change = events.Wrap(this, &Main::txtWait_Change);
  txtWait().LostFocus = events.Wrap(this, &Main::Trigger_LostFocus);
  txtProgram().Change = events.Wrap(this, &Main::txtProgram_Change);
  txtProgram().LostFocus = events.Wrap(this, &Main::txtProgram_LostFocus);
  platform_.processes.Ended = events.Wrap(this, &Main::Program_Ended);
  tmrCheck().Tick = events.Wrap(this, &Main::tmrCheck_Timer);
  tmrAutoHide().Tick = events.Wrap(this, &Main::tmrAutoHide_Timer);
  form_->ControlNamed("cmdHide").Click = events.Wrap(this, &Main::cmdHide_Click);
  form_->ControlNamed("cmdClose").Click = events.Wrap(this, &Main::cmdClose_Click);
  form_->ControlNamed("cmdAbout").Click = events.Wrap(this, &Main::cmdAbout_Click);
  form_->QueryUnload = events.Wrap(this, &Main::Form_Unload);
  form_->SystemResumed = events.Wrap(this, &Main::System_Resumed);
  form_->ClockChanged = events.Wrap(this, &Main::System_ClockChanged);
  platform_.tray.IconActivate = events.Wrap(this, &Main::SysTray_IconActivate);

  ServiceControl& service = platform_.service;
  service.ServiceStarted = events.Wrap(this, &Main::NTService1_ServiceStarted);
  service.ServicePaused = events.Wrap(this, &Main::NTService1_ServicePaused);
  service.ServiceContinued = events.Wrap(this, &Main::NTService1_ServiceContinued);
  service.ServiceStopped = events.Wrap(this, &Main::NTService1_ServiceStopped);
  service.ConsoleAnswered = events.Wrap(this, &Main::ConsoleMessage_Answered);
  platform_.policy.Changed = events.Wrap(this, &Main::Policy_Changed);
  if (following_) following_->Changed = events.Wrap(this, &Main::FollowTick);
}

void Main::Form_Load() {
  gblnAttentionShown_ = false;
  gblnWarningNotified_ = false;
  glngWhichWindows32_ = (platform_.api.GetVersion() & 0x80000000u) ? 0 : 1;
  try {
    arguments_ = platform_.app.CommandLine();
    RunServiceCommands(arguments_);
    policy_ = policyReader_.Read();
    LoadSchedule();
  } catch (const RuntimeError& error) {
    ReportLoadError(error);
  }
}

void Main::LoadSchedule() {
  const std::optional<PolicySetting<std::string>>& code = policy_.code;
  const bool computerCode = code && code->scope == PolicyScope::Machine;
  const bool fromArguments = !arguments_.empty() && !computerCode;
  if (!arguments_.empty() && computerCode) {
    WriteWarningEntry("The schedule on the command line (" + arguments_ +
                      ") is ignored: the computer's policy sets " + code->value + ".");
  }
  // The computer's policy beats the command line, which beats the user's policy.
  const auto applies = [&](const auto& setting) {
    return setting && (!fromArguments || setting->scope == PolicyScope::Machine);
  };
  const bool codeFromPolicy = applies(code);
  const bool daysFromPolicy = applies(policy_.days);
  const bool triggerFromPolicy = applies(policy_.trigger);
  const std::optional<TriggerCommand> command =
      fromArguments ? ParseTriggerCommand(arguments_) : std::nullopt;

  std::string source = codeFromPolicy ? code->value
                       : command      ? ProduceScheduleCommand("00:00", command->typeIndex)
                                      : arguments_;
  std::string storedDays;  // a schedule on the command line or from policy applies every day
  std::string storedTrigger;
  if (source.empty()) {
    clsProfileINI profile(platform_.ini);
    source =
        profile.GetProfileText(ProfilePath(), kScheduleSection, kScheduleEntry, kDefaultSchedule);
    storedDays = profile.GetProfileText(ProfilePath(), kScheduleSection, kDaysEntry, "");
    storedTrigger = profile.GetProfileText(ProfilePath(), kScheduleSection, kTriggerEntry, "");
  }
  // An administrator's time is not escaped through another trigger of the user's.
  std::optional<Trigger> trigger;
  if (triggerFromPolicy) {
    trigger = policy_.trigger->value;
  } else if (codeFromPolicy) {
    trigger = Trigger{};
  } else if (command) {
    trigger = command->trigger;
  }
  LockPolicySchedule(codeFromPolicy, codeFromPolicy || daysFromPolicy,
                     codeFromPolicy || triggerFromPolicy);
  const ScheduleParts schedule = ParseScheduleCommand(source);
  txtTime().SetText(schedule.timeText);
  cmbType().SetListIndex(schedule.typeIndex);
  SetChosenDays(daysFromPolicy ? policy_.days->value : DaysFromStored(storedDays));
  gblnDaysChanged_ = false;  // loaded, not changed: the file keeps its value
  LoadTrigger(trigger, storedTrigger);
}

// Locked before the controls are filled: their change events already find the schedule
// from policy, which is never stored.
void Main::LockPolicySchedule(bool code, bool days, bool trigger) {
  gblnCodeFromPolicy_ = code;
  gblnDaysFromPolicy_ = days;
  gblnTriggerFromPolicy_ = trigger;
  EnableFields();
}

void Main::Policy_Changed() {
  const Policy before = policy_;
  policy_ = policyReader_.Read();
  ApplyCountdownPolicy();
  if (policy_.code == before.code && policy_.days == before.days &&
      policy_.trigger == before.trigger)
    return;
  // A minute owed to the old schedule is the new one's to decide, its countdown first.
  owedOccurrence_.reset();
  try {
    LoadSchedule();
  } catch (const RuntimeError& error) {
    // The settings file's schedule, back in force, is broken; the program runs on.
    ReportServiceError(error);
  }
  SetToolTip();
}

void Main::txtTime_Change() {
  SetToolTip();
}
void Main::cmbType_Click() {
  SetToolTip();
}

void Main::ApplyCountdownPolicy() {
  if (!attention_) return;
  attention_->OfferStop(!policy_.noStop);
  attention_->OfferPostpone(!gblnScheduleLocked_ && !policy_.noPostpone,
                            gintPostponements_ < kMaxPostponements);
}

void Main::txtTime_LostFocus() {
  SaveSchedule();
}
void Main::cmbType_LostFocus() {
  SaveSchedule();
}

void Main::chkDay_Click(int day) {
  // A schedule for no day could not be stored (no key means every day): the last day stays.
  if (ChosenDays() == 0) return chkDay(day).SetValue(true);
  gblnDaysChanged_ = true;
  SetToolTip();
}
void Main::chkDay_LostFocus() {
  SaveSchedule();
}

DaySet Main::DaysFromStored(const std::string& value) {
  if (value.empty()) return kEveryDay;
  if (const std::optional<DaySet> days = ParseDays(value)) return *days;
  WriteWarningEntry(ProfilePath() + ": " + kDaysEntry + "=" + value +
                    " names no day of the week (Mon to Sun); the schedule applies every day.");
  return kEveryDay;
}

// The new days go on before the others go off: on the way no day would be left, which a
// toggle refuses.
void Main::SetChosenDays(DaySet days) {
  for (bool on : {true, false})
    for (int day = 0; day < kDaysInWeek; ++day)
      if (((days >> day) & 1) == on) chkDay(day).SetValue(on);
}

DaySet Main::ChosenDays() const {
  DaySet days = 0;
  for (int day = 0; day < kDaysInWeek; ++day)
    if (chkDay(day).Value()) days |= static_cast<DaySet>(1 << day);
  return days;
}

// Every day is the key's absence, so a file that never had other days keeps none. The INI
// function removes a key given no value; clsProfileINI only writes values.
void Main::SaveDays() {
  const DaySet days = ChosenDays();
  const std::optional<std::string> value =
      days == kEveryDay ? std::nullopt : std::optional(StoredDays(days));
  platform_.ini.WritePrivateProfileString(kScheduleSection, kDaysEntry, value, ProfilePath());
  gblnDaysChanged_ = false;
}

Toggle& Main::chkDay(int day) const {
  return form_->ToggleNamed("chkDay", day);
}

}  // namespace duskline
