#include "service/MachineSchedule.h"

#include "platform/Language.h"
#include "scheduler/ScheduleCommand.h"
#include "scheduler/ScheduleTime.h"

namespace duskline {

namespace {

constexpr int64_t kCountdownMilliseconds = 59500;

}  // namespace

bool IsGraphicalUserSession(const SessionInfo& session) {
  return (session.type == "x11" || session.type == "wayland") && session.sessionClass == "user";
}

std::string_view PhaseName(Phase phase) {
  switch (phase) {
    case Phase::kWarning:
      return "warning";
    case Phase::kCountdown:
      return "countdown";
    default:
      return "idle";
  }
}

std::string RefusalText(Refusal refusal) {
  switch (refusal) {
    case Refusal::kPolicy:
      return N_("The administrator does not allow this.");
    case Refusal::kNoSession:
      return N_("Only a user at an active graphical session of this computer may ask this.");
    case Refusal::kNothingPending:
      return N_("No action is due within the next five minutes.");
    case Refusal::kNoMorePostponements:
      return N_("The action has been postponed three times already.");
    default:
      return {};
  }
}

std::optional<MachinePolicy> MachinePolicyOf(const Policy& policy) {
  auto machine = [](const auto& setting) {
    return setting && setting->scope == PolicyScope::Machine;
  };
  if (!machine(policy.code)) return std::nullopt;
  // A well-formed schedule parses without an error.
  const ScheduleParts parts = ParseScheduleCommand(policy.code->value);
  return MachinePolicy{parts.timeText,
                       parts.typeIndex,
                       machine(policy.days) ? policy.days->value : kEveryDay,
                       policy.noStop,
                       policy.noPostpone,
                       machine(policy.trigger) ? policy.trigger->value : Trigger{}};
}

MachineAction ActionOfType(int16_t typeIndex) {
  switch (typeIndex) {
    case kShutdown:
      return MachineAction::kHalt;
    case kPowerOff:
      return MachineAction::kPowerOff;
    case kRestart:
      return MachineAction::kReboot;
    case kSleep:
      return MachineAction::kSuspend;
    case kHibernate:
      return MachineAction::kHibernate;
    case kLock:
      return MachineAction::kLockSessions;
    default:
      return MachineAction::kEndSessions;
  }
}

void MachineSchedule::SetPolicy(std::optional<MachinePolicy> policy) {
  // In counts from when the service took it; the same In again keeps its moment.
  const bool sameTrigger = policy_ && policy && policy_->trigger == policy->trigger;
  policy_ = std::move(policy);
  const std::optional<int> minutes = policy_ && policy_->trigger.kind == TriggerKind::In
                                         ? DurationMinutes(policy_->trigger.wait)
                                         : std::nullopt;
  if (!minutes) {
    inAt_.reset();
  } else if (!sameTrigger || !inAt_) {
    inAt_ = CalendarMinute(clock_.Now()) + *minutes;
  }
  // A postponement belongs to the old schedule. A stopped or carried out occurrence stays so:
  // another change of the file must not bring it back.
  postponedTo_.reset();
  postponements_ = 0;
  owed_.reset();
  policyShown_ = false;
}

std::optional<int64_t> MachineSchedule::Occurrence(const LocalTime& now) const {
  if (postponedTo_) return postponedTo_;
  if (policy_ && policy_->trigger.kind != TriggerKind::TimeOfDay) return inAt_;
  if (!policy_ || !((policy_->days >> Weekday(now)) & 1)) return std::nullopt;
  const std::string& text = policy_->timeText;
  return CalendarMinute(now) - (now.hour * 60 + now.minute) +
         MinuteOfDay(HourField(text), MinuteField(text));
}

void MachineSchedule::Tick() {
  const LocalTime now = clock_.Now();
  const int64_t minute = CalendarMinute(now);
  // A postponed occurrence that passed unseen (the computer slept) is not made up.
  if (postponedTo_ && minute > *postponedTo_) {
    postponedTo_.reset();
    postponements_ = 0;
  }
  const std::optional<int64_t> occurrence = owed_ ? owed_ : Occurrence(now);
  const bool open = occurrence && occurrence != stopped_ && occurrence != fired_;
  const int64_t difference = open ? *occurrence - minute : 0;
  // The clock never shows an hour or a minute out of range: such a time never fires.
  const std::string& text = policy_ ? policy_->timeText : std::string();
  const bool due =
      open && (owed_.has_value() || (postponedTo_ || inAt_ ? *occurrence == minute
                                                           : now.hour == HourField(text) &&
                                                                 now.minute == MinuteField(text)));
  const Phase phase = due || difference == 1               ? Phase::kCountdown
                      : difference >= 2 && difference <= 5 ? Phase::kWarning
                                                           : Phase::kIdle;
  pending_ = phase == Phase::kIdle ? std::nullopt : occurrence;
  SetPhase(phase);
  // Without a change of phase: a new policy, or an occurrence that passed unseen (the computer
  // slept, the clock was set).
  if (!policyShown_ || NextAction() != shownNext_) Announce(std::nullopt);
  if (!due) return;
  // Nobody may lose a session without the countdown's whole minute first, also where the
  // service or the policy came within it. Its ticks come a second apart, give or take.
  if (clock_.Elapsed() - countdownSince_ < kCountdownMilliseconds) {
    owed_ = occurrence;
    return;
  }
  owed_.reset();
  pending_.reset();
  Fire(*occurrence);
  SetPhase(Phase::kIdle);
}

void MachineSchedule::Fire(int64_t occurrence) {
  fired_ = occurrence;
  const int16_t type = policy_ ? policy_->typeIndex : int16_t{kLogoff};
  const MachineAction action = ActionOfType(type);
  int count = 0;
  const std::string why = machine_.Carry(action, count);
  std::string text = ShutdownTypeName(type) + " at " + HourAndMinute(occurrence);
  if (inAt_) text += " (" + TriggerText(policy_->trigger) + ")";
  if (!why.empty()) {
    machine_.WriteEventLogEntry(kErrorEventType, kErrorEventId, text + " was refused: " + why);
    return;
  }
  if (action == MachineAction::kEndSessions || action == MachineAction::kLockSessions) {
    text += ": " + std::to_string(count) + " graphical session" + (count == 1 ? "" : "s") +
            (action == MachineAction::kLockSessions ? " locked" : " ended");
  } else {
    text += ": carried out";
  }
  machine_.WriteEventLogEntry(kStatusEventType, kStatusEventId, text);
}

void MachineSchedule::SetPhase(Phase phase) {
  if (phase == phase_) return;
  if (phase == Phase::kCountdown) countdownSince_ = clock_.Elapsed();
  phase_ = phase;
  Announce(phase);
}

void MachineSchedule::Announce(std::optional<Phase> began) {
  shownNext_ = NextAction();
  policyShown_ = true;
  if (Changed) Changed(began);
}

std::optional<LocalTime> MachineSchedule::NextAction() const {
  if (pending_) return FromCalendarMinute(*pending_);
  if (!policy_) return std::nullopt;
  const LocalTime now = clock_.Now();
  const int64_t minute = CalendarMinute(now);
  if (postponedTo_ && *postponedTo_ > minute) return FromCalendarMinute(*postponedTo_);
  if (policy_->trigger.kind != TriggerKind::TimeOfDay) {
    if (inAt_ && *inAt_ >= minute && inAt_ != fired_ && inAt_ != stopped_)
      return FromCalendarMinute(*inAt_);
    return std::nullopt;
  }
  const int16_t hour = HourField(policy_->timeText), ofHour = MinuteField(policy_->timeText);
  // A time the clock never shows never comes.
  if (static_cast<uint16_t>(hour) > 23 || static_cast<uint16_t>(ofHour) > 59) return std::nullopt;
  const int64_t today = minute - (now.hour * 60 + now.minute);
  for (int day = 0; day <= kDaysInWeek; ++day) {
    const int64_t candidate = today + day * 1440 + hour * 60 + ofHour;
    const bool chosen = (policy_->days >> Weekday(FromCalendarMinute(candidate))) & 1;
    if (chosen && candidate >= minute && candidate != fired_ && candidate != stopped_)
      return FromCalendarMinute(candidate);
  }
  return std::nullopt;
}

Refusal MachineSchedule::MayRequest(bool forbidden,
                                    const std::optional<SessionInfo>& caller) const {
  if (forbidden) return Refusal::kPolicy;
  if (!caller || !caller->active || !IsGraphicalUserSession(*caller)) return Refusal::kNoSession;
  return pending_ ? Refusal::kNone : Refusal::kNothingPending;
}

Refusal MachineSchedule::Stop(const std::optional<SessionInfo>& caller) {
  const Refusal refusal = MayRequest(policy_ && policy_->noStop, caller);
  if (refusal != Refusal::kNone) return refusal;
  stopped_ = pending_;
  owed_.reset();
  machine_.WriteEventLogEntry(
      kStatusEventType, kStatusEventId,
      "Stopped from a user's session: nothing happens at " + HourAndMinute(*pending_) + ".");
  pending_.reset();
  SetPhase(Phase::kIdle);
  return Refusal::kNone;
}

Refusal MachineSchedule::Postpone(const std::optional<SessionInfo>& caller) {
  const Refusal refusal = MayRequest(policy_ && policy_->noPostpone, caller);
  if (refusal != Refusal::kNone) return refusal;
  if (postponements_ >= kMaxPostponements) return Refusal::kNoMorePostponements;
  postponedTo_ = *pending_ + kPostponeMinutes;
  owed_.reset();
  ++postponements_;
  machine_.WriteEventLogEntry(
      kStatusEventType, kStatusEventId,
      "Postponed from a user's session to " + HourAndMinute(*postponedTo_) + ".");
  pending_.reset();
  SetPhase(Phase::kIdle);
  return Refusal::kNone;
}

}  // namespace duskline
