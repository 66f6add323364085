// The triggers besides a time of day: In (a duration from when it was set), Idle (no input for
// a duration) and After (a program ended). Each gives the milliseconds left until the action;
// the warnings come as for a time of day, counted against that moment, and the check wakes
// only when the outcome can first change: at the start of a warning phase, or at the action.
#include <algorithm>

#include "attention/Attention.h"
#include "platform/Language.h"
#include "scheduler/ContinueOnError.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleTime.h"

namespace duskline {

namespace {

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kSlowWarning = 5 * kMinute;
// Nothing due (a program still running, a spent In): a look now and then costs little and
// mends a missed event.
constexpr int64_t kNothingDue = 60 * kMinute;
constexpr int64_t kIdleAfterAction = 5 * kSecond;

}  // namespace

Trigger Main::CurrentTrigger() const {
  const int index = cmbTrigger().ListIndex();
  const auto kind = index < 0 ? TriggerKind::TimeOfDay : static_cast<TriggerKind>(index);
  return {kind, txtWait().Text(), txtProgram().Text()};
}

std::optional<int64_t> Main::TriggerRemaining(const Trigger& trigger) {
  const int64_t now = platform_.clock.Elapsed();
  if (trigger.kind != TriggerKind::Idle) {
    if (!triggerDue_) return std::nullopt;
    return *triggerDue_ + triggerPostponed_ - now;
  }
  const std::optional<int> minutes = DurationMinutes(trigger.wait);
  const std::optional<int64_t> idle = platform_.idle.IdleMilliseconds();
  if (!minutes || !idle) return std::nullopt;
  if (*idle < lastIdle_) {
    // Somebody came back: a warning is put away, and the count starts again.
    if (gblnAttentionShown_ || gblnWarningNotified_) PutAwayWarning();
    gblnIdleActed_ = false;
  }
  lastIdle_ = *idle;
  if (gblnIdleActed_) return std::nullopt;
  // The last input may lie long before anybody chose this trigger (a start at log-on, at boot).
  const int64_t quiet = std::min(*idle, now - idleFrom_);
  return *minutes * kMinute + triggerPostponed_ - quiet;
}

int64_t Main::RunTriggerCheck() {
  const Trigger trigger = CurrentTrigger();
  int64_t remaining = 0;
  bool due = false;
  ContinueOnError([&] {
    const std::optional<int64_t> left = TriggerRemaining(trigger);
    due = left.has_value();
    if (due) remaining = *left;
  });
  bool visible = false;
  ContinueOnError([&] { visible = form_->Visible(); });
  if (due && remaining <= kMinute) {
    // Nobody chose this moment on the clock: the countdown runs its whole minute first, over
    // the window too.
    if (!CountdownHasRun() || remaining > 0)
      return remaining > 0 ? std::min(kSecond, remaining) : kSecond;
    FireTrigger(trigger);
    due = false;
  }
  if (!due) {
    // Idle: the next input starts the count, so a warning can come a duration less the
    // warning from now at the earliest.
    const std::optional<int> minutes = DurationMinutes(trigger.wait);
    if (trigger.kind != TriggerKind::Idle || !minutes) return kNothingDue;
    return std::max(kIdleAfterAction, *minutes * kMinute - kSlowWarning);
  }
  // A program's end gives no warning ahead: a postponed one warns even over the window.
  const bool warns = !visible || trigger.kind == TriggerKind::After;
  if (warns && remaining <= kSlowWarning) {
    StartWarningAnimation(1000, 2);
    return std::min(kSecond, remaining - kMinute);
  }
  return remaining - (warns ? kSlowWarning : kMinute);
}

bool Main::CountdownHasRun() {
  if (gblnAttentionShown_ && platform_.clock.Elapsed() - countdownSince_ >= kMinute) return true;
  FinalMinuteWarning();
  return false;
}

void Main::FireTrigger(const Trigger& trigger) {
  if (gblnScheduleLocked_) {
    ContinueOnError([&] {
      WriteStatusEntry(ShutdownTypeName(cmbType().ListIndex()) + " " + TriggerText(trigger));
    });
  }
  // One occurrence: In and After are spent, Idle waits for the next input.
  triggerDue_.reset();
  triggerPostponed_ = 0;
  gintPostponements_ = 0;
  gblnIdleActed_ = true;
  PutAwayWarning();
  FireAction();
  ContinueOnError([&] { platform_.tray.SetTipText(ToolTipText()); });
}

void Main::StartTrigger(bool chosen) {
  triggerDue_.reset();
  triggerPostponed_ = 0;
  gintPostponements_ = 0;
  gblnIdleActed_ = false;
  lastIdle_ = 0;
  idleFrom_ = platform_.clock.Elapsed();
  platform_.processes.Cancel();
  const Trigger trigger = CurrentTrigger();
  if (trigger.kind == TriggerKind::In) {
    if (const std::optional<int> minutes = DurationMinutes(trigger.wait))
      triggerDue_ = platform_.clock.Elapsed() + *minutes * kMinute;
  } else if (trigger.kind == TriggerKind::After && !trigger.program.empty() &&
             !platform_.processes.Watch(trigger.program)) {
    constexpr const char* kNotRunning = N_("%s is not running; choose a running program.");
    if (chosen) {
      platform_.windows.MessageBox(TrFormat(kNotRunning, {trigger.program}), platform_.app.Title());
    } else {
      WriteWarningEntry(Format(kNotRunning, {trigger.program}));
    }
  }
  if (gblnAttentionShown_ || gblnWarningNotified_) PutAwayWarning();
}

void Main::Program_Ended() {
  if (CurrentTrigger().kind != TriggerKind::After || triggerDue_) return;
  triggerDue_ = platform_.clock.Elapsed() + kMinute;
  CheckOnNextSecond();
}

// A trigger from the command line or from policy wins over the stored one. A stored In is not
// resumed after a restart (a countdown across a reboot would surprise): its duration only
// becomes the one offered.
void Main::LoadTrigger(const std::optional<Trigger>& given, const std::string& stored) {
  Trigger trigger;
  if (given) {
    trigger = *given;
  } else if (const std::optional<Trigger> parsed = ParseTrigger(stored)) {
    trigger = *parsed;
    if (trigger.kind == TriggerKind::In) trigger.kind = TriggerKind::TimeOfDay;
  } else {
    WriteWarningEntry(ProfilePath() + ": " + kTriggerEntry + "=" + stored +
                      " is not a trigger; the time of day applies.");
  }
  // The time of day's tooltip is already set: a seed file's start stays as it was.
  gblnLoading_ = true;
  txtWait().SetText(trigger.wait);
  txtProgram().SetText(trigger.program);
  cmbTrigger().SetListIndex(static_cast<int>(trigger.kind));
  gblnLoading_ = false;
  gblnTriggerChanged_ = false;
  if (trigger.kind == TriggerKind::TimeOfDay) return;
  StartTrigger(false);
  SetToolTip();
}

// The time of day removes the key, so a file that never had another trigger keeps none.
void Main::SaveTrigger() {
  const std::string value = StoredTrigger(CurrentTrigger());
  platform_.ini.WritePrivateProfileString(
      kScheduleSection, kTriggerEntry,
      value.empty() ? std::nullopt : std::optional<std::string>(value), ProfilePath());
  gblnTriggerChanged_ = false;
}

void Main::cmbTrigger_Click() {
  EnableFields();
  if (gblnLoading_) return;
  gblnTriggerChanged_ = true;
  StartTrigger(true);
  SetToolTip();
}

void Main::txtWait_Change() {
  if (gblnLoading_) return;
  gblnTriggerChanged_ = true;
  if (CurrentTrigger().kind != TriggerKind::After) StartTrigger(false);
  SetToolTip();
}

void Main::txtProgram_Change() {
  if (gblnLoading_) return;
  gblnTriggerChanged_ = true;
  SetToolTip();
}

void Main::txtProgram_LostFocus() {
  if (CurrentTrigger().kind == TriggerKind::After && !triggerDue_) StartTrigger(true);
  SaveSchedule();
}

void Main::Trigger_LostFocus() {
  SaveSchedule();
}

std::string Main::TriggerToolTip() const {
  const Trigger trigger = CurrentTrigger();
  const std::string type = Tr(ShutdownTypeName(cmbType().ListIndex()));
  if (trigger.kind == TriggerKind::In && triggerDue_) {
    // The clock time it will happen, read anew each time: the clock may have been set.
    const int64_t left = *triggerDue_ + triggerPostponed_ - platform_.clock.Elapsed();
    const LocalTime now = platform_.clock.Now();
    const int64_t at =
        CalendarMinute(now) + (now.second * kSecond + now.millisecond + left) / kMinute;
    return TrFormat("%s at %s (%s)", {type, HourAndMinute(at), ShownTriggerText(trigger)});
  }
  return type + " " + ShownTriggerText(trigger);
}

DropDownList& Main::cmbTrigger() const {
  return form_->DropDownListNamed("cmbTrigger");
}
TextBox& Main::txtWait() const {
  return form_->TextBoxNamed("txtWait");
}
TextBox& Main::txtProgram() const {
  return form_->TextBoxNamed("txtProgram");
}

}  // namespace duskline
