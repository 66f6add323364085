// The main window: it holds the schedule in its two controls, checks it when the minute turns,
// warns while hidden in the tray and ends the session at the set minute. It also hosts the service
// control and the tray icon. Its members are split by folder: scheduler/ (start-up, check,
// actions, editing), service/ (service commands and lifecycle events), tray/ (tooltip, hiding,
// closing, About).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Follow.h"
#include "platform/Platform.h"
#include "scheduler/ChosenDays.h"
#include "scheduler/Policy.h"
#include "scheduler/Trigger.h"

namespace duskline {

class Attention;
class frmSplash;

// The form's layout: controls, positions in twips, texts and timers.
const FormLayout& MainLayout();

class Main {
 public:
  explicit Main(Platform& platform);
  ~Main();
  Main(const Main&) = delete;
  Main& operator=(const Main&) = delete;

  // Creates the window from its layout, wires the events, runs the load event (which may
  // end the program) and shows the window.
  void Start();

  // Start-up (scheduler/): the load event with its error trap.
  void Form_Load();

  // The schedule as stored: writes the ScheduleCommand the controls hold now, and the days
  // when the user changed them.
  void SaveSchedule();

  // The schedule check: hidden in a warning once a second, otherwise at the turn of the
  // minute, and soon after anything that can change its outcome.
  void tmrCheck_Timer();

  // The system service carries the action out; this program only shows its warnings, hidden
  // in the tray, and hands Stop and Postpone on to it. Called before Start.
  void Follow(SystemScheduler& scheduler) { following_ = &scheduler; }

  // The shut-down actions, each forced.
  void ExitLogoffForced();
  void ExitShutdownForced();
  void ExitPowerOffForced();
  void ExitRestartForced();
  void EnableShutdownPrivilege();
  // The actions the program outlives.
  void SuspendToSleep();
  void SuspendToHibernate();
  void LockSession();

  // The administrator's policy changed: it applies at once.
  void Policy_Changed();
  const Policy& policy() const { return policy_; }

  // The computer woke: what was shown before the sleep is put away.
  void System_Resumed();
  // The system's clock was set or its time zone changed.
  void System_ClockChanged();

  // "Postpone" in the countdown: this occurrence ten minutes later, at most three times; the
  // stored schedule stays as it is.
  void PostponeOccurrence();
  static constexpr int kPostponeMinutes = 10;
  static constexpr int16_t kMaxPostponements = 3;

  // Editing of the schedule.
  void txtTime_Change();
  void cmbType_Click();
  void txtTime_LostFocus();
  void cmbType_LostFocus();
  void chkDay_Click(int day);
  void chkDay_LostFocus();
  // Editing of the trigger: a new choice or duration starts it from now; a program is
  // watched once its name is left.
  void cmbTrigger_Click();
  void txtWait_Change();
  void txtProgram_Change();
  void txtProgram_LostFocus();
  void Trigger_LostFocus();
  // The watched program's last instance ended: the countdown runs for a minute.
  void Program_Ended();
  // The trigger the controls hold.
  Trigger CurrentTrigger() const;

  // The days the toggles hold, and whether today is one of them.
  DaySet ChosenDays() const;
  bool IsChosenDay() const;

  // Service host (service/).
  void NTService1_ServiceStarted(bool& success);
  void NTService1_ServicePaused(bool& success);
  void NTService1_ServiceContinued(bool& success);
  void NTService1_ServiceStopped();
  // The answer of the countdown sent to the console session from session 0.
  void ConsoleMessage_Answered(int answer);

  // Tray icon and window (tray/).
  void SetToolTip();
  std::string ToolTipText() const;
  void SysTray_IconActivate();
  void cmdHide_Click();
  void tmrAutoHide_Timer();
  void cmdClose_Click();
  void Form_Unload();
  void cmdAbout_Click();

  // State shared with the other windows and read by tests.
  Form& form() const { return *form_; }
  int32_t glngWhichWindows32() const { return glngWhichWindows32_; }
  bool gblnAttentionShown() const { return gblnAttentionShown_; }
  // Null until the countdown or the About window is first shown.
  Attention* attention() const { return attention_.get(); }
  frmSplash* splash() const { return splash_.get(); }

 private:
  // Load-event steps of the service host: the command-line switches and the service run.
  // "-install" and "-uninstall" end the program here.
  void RunServiceCommands(const std::string& arguments);
  // The load event's trap: message box and end, or an event-log entry.
  void ReportLoadError(const RuntimeError& error);
  // The trap of the four service handlers.
  void ReportServiceError(const RuntimeError& error);
  void WriteStatusEntry(const std::string& text);
  void WriteWarningEntry(const std::string& text);
  // The stored days: empty is every day, and so is a value that names no day, with a warning.
  DaySet DaysFromStored(const std::string& value);
  void SetChosenDays(DaySet days);
  void SaveDays();
  void WireEvents();
  // The check's steps; true while a warning runs in the tray.
  bool RunCheck();
  // The next check: at the turn of the minute, or in a warning on the next second.
  void ArmNextCheck(bool warning);
  // Something changed that can change the check's outcome: the check runs on the next second
  // of the clock. After an edit it waits for a second without one, so that a half-typed time
  // is never acted on.
  void CheckOnNextSecond();
  void CheckAfterEdit();
  void ArmCheck(int milliseconds);
  // The schedule from the computer's policy, the command line, the user's policy or the
  // settings file, in this order; a schedule from policy is locked.
  void LoadSchedule();
  void LockPolicySchedule(bool code, bool days, bool trigger);
  // Each field enabled where it may be edited and where it applies to the chosen trigger.
  void EnableFields();
  // What the countdown offers under the policy.
  void ApplyCountdownPolicy();
  void ShowAttention();
  // The last minute in the tray: the countdown once, the fast animation.
  void FinalMinuteWarning();
  // An action nobody set for this moment on the clock (a trigger's, a policy's) comes only
  // after its countdown has run a whole minute; until then the countdown is shown.
  bool CountdownHasRun();
  // Following the system service: its phase shown, when it changed and when the window hid
  // or showed.
  void FollowTick();
  // "Stop" while following: the service's answer, and the end of the program if it agreed.
  void StopFollowed();
  // The set minute has come: the action of the type, under the rule of its kind.
  void FireAction();
  void RunAction(int16_t type);
  // Once for its minute, whatever ticks or wake-ups follow within it.
  void FireOnce(int16_t type);
  // Countdown hidden, animation stopped, the idle picture; the next warning starts afresh.
  void PutAwayWarning();
  // Back to the stored time, for the next occurrence.
  void EndPostponement();
  void StopWarningAnimation();
  void ExitWithPrivilege(uint32_t flags);
  // A refused action: a message box in the user's language, or from session 0, where nobody
  // sees one, the event log in English.
  void ReportActionError(const std::string& logged, const std::string& shown);
  // An action the system refused (a policy, a program that holds the session, no power
  // manager) is reported the same way; nothing else happens then.
  void ReportIfRefused(bool accepted);
  // Starts the tray animation; the first start of a warning also shows a notification.
  void StartWarningAnimation(int16_t interval, int16_t mode);
  // From session 0 the countdown also goes to the person at the console.
  void SendConsoleCountdown();
  std::string ProfilePath() const;
  // The triggers besides a time of day (TriggerCheck.cpp): the check, and the time it waits
  // for the next, when the outcome can change at the earliest.
  int64_t RunTriggerCheck();
  // Milliseconds until the action, if it is due at all.
  std::optional<int64_t> TriggerRemaining(const Trigger& trigger);
  void FireTrigger(const Trigger& trigger);
  // Starts the trigger afresh from now; a program chosen by the user that is not running is
  // refused with a message.
  void StartTrigger(bool chosen);
  void LoadTrigger(const std::optional<Trigger>& given, const std::string& stored);
  void SaveTrigger();
  std::string TriggerToolTip() const;

  TextBox& txtTime() const;
  DropDownList& cmbTrigger() const;
  TextBox& txtWait() const;
  TextBox& txtProgram() const;
  DropDownList& cmbType() const;
  Timer& tmrCheck() const;
  Timer& tmrAutoHide() const;
  Toggle& chkDay(int day) const;

  Platform& platform_;
  std::unique_ptr<Form> form_;
  std::unique_ptr<Attention> attention_;
  std::unique_ptr<frmSplash> splash_;
  int32_t glngWhichWindows32_ = 0;
  bool gblnAttentionShown_ = false;
  bool gblnWarningNotified_ = false;
  // The user changed the days since they were loaded or saved.
  bool gblnDaysChanged_ = false;
  std::optional<LocalTime> firedOccurrence_;  // date and minute, seconds zero
  // A postponed occurrence, in minutes since 1 January 1970 of the local clock: it takes the
  // place of the stored time until it has come or passed.
  std::optional<int64_t> postponedTo_;
  int16_t gintPostponements_ = 0;
  SystemScheduler* following_ = nullptr;
  // The service run locked the schedule.
  bool gblnScheduleLocked_ = false;
  std::string arguments_;
  PolicyReader policyReader_;
  Policy policy_;
  // The time and action, or the days, come from the policy and are not stored.
  bool gblnCodeFromPolicy_ = false;
  bool gblnDaysFromPolicy_ = false;
  bool gblnTriggerFromPolicy_ = false;
  // The user changed the trigger since it was loaded or saved.
  bool gblnTriggerChanged_ = false;
  bool gblnLoading_ = false;
  // In: when the action comes, on the clock's elapsed count; After: set when the program ends.
  std::optional<int64_t> triggerDue_;
  // Idle: the idle time the last check saw, and whether it acted since the last input.
  int64_t lastIdle_ = 0;
  bool gblnIdleActed_ = false;
  // Idle counts no input from before this moment on the elapsed count: the trigger took
  // effect, or the computer woke.
  int64_t idleFrom_ = 0;
  // When the countdown showed, on the elapsed count.
  int64_t countdownSince_ = 0;
  // A policy's minute came before its countdown had run: the minute it acts for once it has,
  // and the last minute it acted for.
  std::optional<int64_t> owedOccurrence_;
  std::optional<int64_t> forcedOccurrence_;
  int64_t triggerPostponed_ = 0;  // milliseconds added by Postpone
};

}  // namespace duskline
