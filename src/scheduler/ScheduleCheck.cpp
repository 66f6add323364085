// The schedule check of Main, when it runs next, what it calls (the saving of the schedule, the
// controls it reads) and the shut-down actions it fires: apart from the start-up code, so
// that a build for size can keep this at full speed.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "attention/Attention.h"
#include "platform/Language.h"
#include "profile/clsProfileINI.h"
#include "scheduler/ContinueOnError.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleCommand.h"
#include "scheduler/ScheduleTime.h"

namespace duskline {

namespace {

constexpr int kSecond = 1000;
constexpr int kMinute = 60 * kSecond;
// The longest interval a timer takes.
constexpr int kLongestInterval = 65535;
// The idle check may come this much after the turn of the minute, so that the system can
// wake for it together with others; the firing stays within the first second of the minute.
constexpr int kTurnSlack = 500;

constexpr uint32_t kEwxLogoff = 0;
constexpr uint32_t kEwxShutdown = 1;
constexpr uint32_t kEwxReboot = 2;
constexpr uint32_t kEwxPowerOff = 8;
constexpr uint32_t kEwxForce = 4;
constexpr uint32_t kEwxReserved = 0xFFFFFFFF;
constexpr uint32_t kTokenAdjustPrivileges = 0x20;
constexpr uint32_t kTokenQuery = 0x08;
constexpr uint32_t kSePrivilegeEnabled = 2;
constexpr uint32_t kTokenPrivilegesSize = 16;

}  // namespace

void Main::tmrCheck_Timer() {
  if (following_) {
    FollowTick();
    // The service tells each change of its phase, and hiding or showing the window arms the
    // check: nothing else needs a beat.
    return ContinueOnError([&] { ArmCheck(kLongestInterval); });
  }
  TriggerKind kind = TriggerKind::TimeOfDay;
  ContinueOnError([&] { kind = CurrentTrigger().kind; });
  if (kind == TriggerKind::TimeOfDay) return ArmNextCheck(RunCheck());
  const int64_t wait = RunTriggerCheck();
  // The system may gather a wake-up that only looks whether anything is due yet.
  ContinueOnError([&] {
    if (!tmrCheck().Enabled()) return;
    tmrCheck().SetSlack(wait > kMinute ? kTurnSlack : 0);
    // A longer wait is refused by the timer, which would keep its last, shorter beat.
    tmrCheck().SetInterval(static_cast<int>(std::clamp<int64_t>(wait, 1, kLongestInterval)));
  });
}

// The outcome of a check changes only when the minute turns, or when something else changes,
// which arms the check for the next second: between the turns, only a warning in the tray
// needs its beat.
void Main::ArmNextCheck(bool warning) {
  ContinueOnError([&] {
    Timer& timer = tmrCheck();
    if (!timer.Enabled()) return;  // fired, or the service paused
    const LocalTime now = platform_.clock.Now();
    const int toTurn = std::max(1, kMinute - (now.second % 60 * kSecond + now.millisecond));
    timer.SetSlack(warning ? 0 : kTurnSlack);
    timer.SetInterval(warning ? std::min(kSecond, toTurn) : toTurn);
  });
}

// On the next second of the clock, as the once-a-second check came: every outcome keeps its
// moment, and events close together cost one check.
void Main::CheckOnNextSecond() {
  ContinueOnError([&] { ArmCheck(kSecond - platform_.clock.Now().millisecond); });
}

void Main::CheckAfterEdit() {
  ArmCheck(kSecond);
}

void Main::ArmCheck(int milliseconds) {
  Timer& timer = tmrCheck();
  if (!timer.Enabled()) return;
  timer.SetSlack(0);
  timer.SetInterval(milliseconds);
}

bool Main::RunCheck() {
  int16_t scheduledMinute = 0, scheduledHour = 0, currentMinute = 0, currentHour = 0;
  int32_t scheduledOfDay = 0, currentOfDay = 0;

  ContinueOnError([&] { scheduledMinute = MinuteField(txtTime().Text()); });
  ContinueOnError([&] { scheduledHour = HourField(txtTime().Text()); });
  ContinueOnError([&] { currentMinute = static_cast<int16_t>(platform_.clock.Now().minute); });
  ContinueOnError([&] { currentHour = static_cast<int16_t>(platform_.clock.Now().hour); });
  ContinueOnError([&] { scheduledOfDay = MinuteOfDay(scheduledHour, scheduledMinute); });
  ContinueOnError([&] { currentOfDay = MinuteOfDay(currentHour, currentMinute); });

  // A day not chosen idles all day: no warning phase and no action.
  bool chosenDay = true;
  ContinueOnError([&] { chosenDay = IsChosenDay(); });

  // A postponed occurrence stands in for the stored time until it has come; one that passed
  // unseen (the computer slept) is not made up.
  int64_t now = 0;
  if (postponedTo_) {
    ContinueOnError([&] { now = CalendarMinute(platform_.clock.Now()); });
    if (now > *postponedTo_) EndPostponement();
  }

  // The administrator's time warns over the window too.
  const bool forced = gblnCodeFromPolicy_;
  bool visible = false, warning = false;
  ContinueOnError([&] { visible = form_->Visible(); });
  if (!visible || forced) {
    int64_t difference = chosenDay ? scheduledOfDay - currentOfDay : 0;  // 0: idle
    if (postponedTo_) difference = *postponedTo_ - now;
    if (owedOccurrence_) difference = 1;
    warning = difference >= 1 && difference <= 5;
    if (difference >= 2 && difference <= 5) {
      StartWarningAnimation(1000, 2);
    } else if (difference == 1) {
      ContinueOnError([&] { SaveSchedule(); });
      FinalMinuteWarning();
    } else {
      StopWarningAnimation();
    }
  }

  bool fire = postponedTo_
                  ? now == *postponedTo_
                  : chosenDay && currentHour == scheduledHour && currentMinute == scheduledMinute;
  if (forced) {
    // Its minute may have come before its countdown had run (the policy arrived within it):
    // the action waits for the countdown, once for that minute.
    int64_t minute = 0;
    ContinueOnError([&] { minute = CalendarMinute(platform_.clock.Now()); });
    if (fire && minute != forcedOccurrence_) owedOccurrence_ = minute;
    fire = owedOccurrence_ && CountdownHasRun();
    if (!fire) return warning || owedOccurrence_.has_value();
    forcedOccurrence_ = std::exchange(owedOccurrence_, std::nullopt);
  }
  if (!fire) return warning;
  FireAction();
  if (postponedTo_) EndPostponement();
  return warning;
}

void Main::FinalMinuteWarning() {
  if (!gblnAttentionShown_) {
    ContinueOnError([&] { ShowAttention(); });
    ContinueOnError([&] { SendConsoleCountdown(); });
    gblnAttentionShown_ = true;
    countdownSince_ = platform_.clock.Elapsed();
  }
  StartWarningAnimation(250, 3);
  ContinueOnError([&] { platform_.tray.SetIconCode(2); });
}

void Main::FollowTick() {
  std::string phase;
  ContinueOnError([&] { phase = following_->Phase(); });
  bool visible = false;
  ContinueOnError([&] { visible = form_->Visible(); });
  if (visible || (phase != "warning" && phase != "countdown")) {
    // The wait ended: the action came, or somebody stopped or postponed it.
    if (gblnAttentionShown_) PutAwayWarning();
    return StopWarningAnimation();
  }
  if (phase == "warning") return StartWarningAnimation(1000, 2);
  if (!gblnAttentionShown_) ContinueOnError([&] { ShowAttention(); });
  gblnAttentionShown_ = true;
  StartWarningAnimation(250, 3);
  ContinueOnError([&] { platform_.tray.SetIconCode(2); });
}

void Main::StopFollowed() {
  const std::string refusal = following_->Stop();
  if (refusal.empty()) platform_.app.End();
  platform_.windows.MessageBox(Tr(refusal), platform_.app.Title());
}

void Main::PostponeOccurrence() {
  if (following_) {
    const std::string refusal = following_->Postpone();
    if (!refusal.empty()) return platform_.windows.MessageBox(Tr(refusal), platform_.app.Title());
    return PutAwayWarning();
  }
  if (gblnScheduleLocked_ || policy_.noPostpone || gintPostponements_ >= kMaxPostponements) return;
  if (CurrentTrigger().kind != TriggerKind::TimeOfDay) {
    triggerPostponed_ += kPostponeMinutes * kMinute;
    ++gintPostponements_;
    PutAwayWarning();
    platform_.tray.SetTipText(ToolTipText());
    return CheckOnNextSecond();
  }
  const LocalTime now = platform_.clock.Now();
  int64_t occurrence = 0;
  if (owedOccurrence_ || postponedTo_) {
    occurrence = owedOccurrence_ ? *owedOccurrence_ : *postponedTo_;
  } else {
    // The countdown runs in the last minute before today's set time.
    const std::string text = txtTime().Text();
    occurrence = CalendarMinute(now) - (now.hour * 60 + now.minute) +
                 MinuteOfDay(HourField(text), MinuteField(text));
  }
  postponedTo_ = occurrence + kPostponeMinutes;
  owedOccurrence_.reset();
  ++gintPostponements_;
  // The warnings start again before the new time.
  PutAwayWarning();
  platform_.tray.SetTipText(ToolTipText());
  CheckOnNextSecond();
}

void Main::EndPostponement() {
  postponedTo_.reset();
  gintPostponements_ = 0;
  ContinueOnError([&] { platform_.tray.SetTipText(ToolTipText()); });
}

void Main::FireAction() {
  std::optional<int16_t> type;
  ContinueOnError([&] { type = cmbType().ListIndex(); });
  if (type && KeepsRunning(*type)) {
    ContinueOnError([&] { FireOnce(*type); });
    return;
  }
  // Actions that end the session fire once per enabling of the check.
  ContinueOnError([&] { tmrCheck().SetEnabled(false); });
  ContinueOnError([&] { platform_.tray.RemoveIcon(); });
  if (type) ContinueOnError([&] { RunAction(*type); });
}

void Main::FireOnce(int16_t type) {
  LocalTime occurrence = platform_.clock.Now();
  occurrence.second = occurrence.millisecond = 0;
  if (occurrence == firedOccurrence_) return;
  firedOccurrence_ = occurrence;
  // The icon stays, the window may be hidden and it is the way back.
  PutAwayWarning();
  RunAction(type);
}

void Main::RunAction(int16_t type) {
  switch (type) {
    case kShutdown:
      ExitShutdownForced();
      break;
    case kPowerOff:
      ExitPowerOffForced();
      break;
    case kRestart:
      ExitRestartForced();
      break;
    case kSleep:
      SuspendToSleep();
      break;
    case kHibernate:
      SuspendToHibernate();
      break;
    case kLock:
      LockSession();
      break;
    default:
      ExitLogoffForced();
      break;
  }
}

void Main::System_Resumed() {
  // A warning from before the sleep may be stale; the next check derives the phase anew.
  PutAwayWarning();
  idleFrom_ = platform_.clock.Elapsed();
  CheckOnNextSecond();
}

void Main::System_ClockChanged() {
  // The clock time an "In" names moves with the clock; its duration does not.
  ContinueOnError([&] { platform_.tray.SetTipText(ToolTipText()); });
  CheckOnNextSecond();
}

void Main::PutAwayWarning() {
  if (attention_) ContinueOnError([&] { attention_->PutAway(); });
  StopWarningAnimation();
  // The next warning earns a countdown and a notification of its own.
  gblnAttentionShown_ = false;
  gblnWarningNotified_ = false;
}

void Main::StopWarningAnimation() {
  TrayIcon& tray = platform_.tray;
  ContinueOnError([&] {
    if (tray.Animating()) tray.ToggleAnimation();
  });
  ContinueOnError([&] { tray.SetIconCode(99); });
}

void Main::StartWarningAnimation(int16_t interval, int16_t mode) {
  TrayIcon& tray = platform_.tray;
  ContinueOnError([&] { tray.SetAnimationInterval(interval); });
  ContinueOnError([&] { tray.SetAnimationMode(mode); });
  ContinueOnError([&] {
    if (tray.Animating()) return;
    tray.ToggleAnimation();
    // An animating icon hidden in the overflow of the notification area goes unseen.
    if (gblnWarningNotified_) return;
    gblnWarningNotified_ = true;
    tray.ShowNotification("Duskline", ToolTipText());
  });
}

void Main::SendConsoleCountdown() {
  ServiceControl& service = platform_.service;
  if (!service.InSessionZero()) return;
  const int secondsLeft = 60 - platform_.clock.Now().second;
  service.SendConsoleMessage(Tr("System Information"),
                             TrFormat("%s will be activated in one minute.",
                                      {Tr(ShutdownTypeName(cmbType().ListIndex()))}),
                             static_cast<uint32_t>(secondsLeft), !policy_.noStop);
}

void Main::ShowAttention() {
  if (!attention_) {
    Handler stop;
    if (following_) stop = [this] { StopFollowed(); };
    attention_ = std::make_unique<Attention>(
        platform_, cmbType(), [this] { PostponeOccurrence(); }, std::move(stop));
  }
  ApplyCountdownPolicy();
  attention_->Show();
}

void Main::ExitLogoffForced() {
  // From session 0 ExitWindowsEx would end only the service's own session.
  ServiceControl& service = platform_.service;
  if (service.InSessionZero() && service.LogoffConsoleSession()) return;
  ReportIfRefused(platform_.api.ExitWindowsEx(kEwxLogoff | kEwxForce, kEwxReserved));
}

void Main::ExitShutdownForced() {
  ExitWithPrivilege(kEwxShutdown | kEwxForce);
}

void Main::ExitPowerOffForced() {
  ExitWithPrivilege(kEwxPowerOff | kEwxForce);
}

void Main::ExitRestartForced() {
  ExitWithPrivilege(kEwxReboot | kEwxForce);
}

void Main::ExitWithPrivilege(uint32_t flags) {
  if (glngWhichWindows32_ == 1) EnableShutdownPrivilege();
  ReportIfRefused(platform_.api.ExitWindowsEx(flags, kEwxReserved));
}

void Main::SuspendToSleep() {
  if (glngWhichWindows32_ == 1) EnableShutdownPrivilege();
  ReportIfRefused(platform_.api.SetSuspendState(false, false, false));
}

void Main::SuspendToHibernate() {
  if (!platform_.api.IsPwrHibernateAllowed()) {
    constexpr const char* kTurnedOff = N_("Hibernation is turned off on this computer.");
    ReportActionError(kTurnedOff, Tr(kTurnedOff));
    return;
  }
  if (glngWhichWindows32_ == 1) EnableShutdownPrivilege();
  ReportIfRefused(platform_.api.SetSuspendState(true, false, false));
}

void Main::LockSession() {
  // From session 0 LockWorkStation would lock nobody's screen; a disconnected console
  // session shows its lock screen.
  ServiceControl& service = platform_.service;
  if (service.InSessionZero() && service.DisconnectConsoleSession()) return;
  ReportIfRefused(platform_.api.LockWorkStation());
}

void Main::ReportIfRefused(bool accepted) {
  if (accepted) return;
  SystemApi& api = platform_.api;
  const std::string why = api.ErrorText(api.GetLastError());
  const char* refused = why.empty() ? N_("%s was refused.") : N_("%s was refused: %s");
  const std::string type = ShutdownTypeName(cmbType().ListIndex());
  ReportActionError(Format(refused, {type, why}), TrFormat(refused, {Tr(type), why}));
}

void Main::EnableShutdownPrivilege() {
  SystemApi& api = platform_.api;
  // Judged by the last-error code only; the code is cleared once, and every step runs.
  auto reportIfFailed = [&](const std::string& text) {
    if (api.GetLastError() == 0) return;
    const int32_t code = static_cast<int32_t>(api.GetLastError());
    platform_.windows.MessageBox(text + std::to_string(code), platform_.app.Title());
  };

  api.SetLastError(0);
  const std::intptr_t process = api.GetCurrentProcess();
  reportIfFailed("GetCurrentProcess error==");

  std::intptr_t token = 0;
  api.OpenProcessToken(process, kTokenAdjustPrivileges | kTokenQuery, &token);
  reportIfFailed("OpenProcessToken error==");

  uint64_t luid = 0;
  api.LookupPrivilegeValueA("", "SeShutdownPrivilege", &luid);
  reportIfFailed("LookupPrivilegeValue error==");

  const TokenPrivileges newState{1, luid, kSePrivilegeEnabled};
  TokenPrivileges previousState;
  uint32_t returnLength = 0;
  api.AdjustTokenPrivileges(token, false, newState, kTokenPrivilegesSize, &previousState,
                            &returnLength);
  reportIfFailed("AdjustTokenPrivileges error==");
}

// A schedule from policy is the administrator's, not the user's: the file keeps the user's.
void Main::SaveSchedule() {
  if (!gblnCodeFromPolicy_) {
    const std::string command = ProduceScheduleCommand(txtTime().Text(), cmbType().ListIndex());
    clsProfileINI profile(platform_.ini);
    profile.WriteProfileText(ProfilePath(), kScheduleSection, kScheduleEntry, command);
  }
  if (gblnDaysChanged_ && !gblnDaysFromPolicy_) SaveDays();
  if (gblnTriggerChanged_ && !gblnTriggerFromPolicy_) SaveTrigger();
}

bool Main::IsChosenDay() const {
  return chkDay(Weekday(platform_.clock.Now())).Value();
}

std::string Main::ProfilePath() const {
  return ScheduleFilePath(platform_.app.Path());
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
