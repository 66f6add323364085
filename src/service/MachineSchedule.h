// The schedule the system service keeps for the whole computer, without a window: the phase
// each minute of the day is in, the action at the set minute for every user's session, and
// the users' requests to stop or postpone it, decided against the administrator's policy.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Machine.h"
#include "platform/System.h"
#include "scheduler/ChosenDays.h"
#include "scheduler/Policy.h"
#include "scheduler/Trigger.h"

namespace duskline {

enum class Phase { kIdle, kWarning, kCountdown };

// "idle", "warning", "countdown".
std::string_view PhaseName(Phase phase);

// A user's session on a desktop: the sessions the actions end or lock, and the only ones
// from which a user may ask to stop or postpone.
bool IsGraphicalUserSession(const SessionInfo& session);

// What the administrator set.
struct MachinePolicy {
  std::string timeText;
  int16_t typeIndex = 0;
  DaySet days = kEveryDay;
  bool noStop = false;
  bool noPostpone = false;
  // The time of day, or In from when the service took the policy; Idle and After watch a
  // user's input and programs, which are no business of the system's: they never act here.
  Trigger trigger{};
  bool operator==(const MachinePolicy&) const = default;
};

// The computer's part of the administrator's policy, which alone binds the system service;
// nothing without a schedule.
std::optional<MachinePolicy> MachinePolicyOf(const Policy& policy);

// Why a request was not granted.
enum class Refusal { kNone, kPolicy, kNoSession, kNothingPending, kNoMorePostponements };

// The reason as the requesting user reads it; empty for kNone.
std::string RefusalText(Refusal refusal);

// The action the system service carries out for a type index; any index outside 1..6 ends
// the sessions.
MachineAction ActionOfType(int16_t typeIndex);

class MachineSchedule {
 public:
  MachineSchedule(const Clock& clock, Machine& machine) : clock_(clock), machine_(machine) {}

  // Nothing: no schedule, the service idles. A new policy starts afresh.
  void SetPolicy(std::optional<MachinePolicy> policy);
  const std::optional<MachinePolicy>& policy() const { return policy_; }

  // Once a second.
  void Tick();

  Phase phase() const { return phase_; }
  // The minute of the next action, as far as it is known now.
  std::optional<LocalTime> NextAction() const;

  // A user's request from the session `caller` (none: the caller is in no session).
  // Stop leaves the pending action out; Postpone moves it ten minutes on, three times at
  // most. Either needs an action within the warning's five minutes.
  Refusal Stop(const std::optional<SessionInfo>& caller);
  Refusal Postpone(const std::optional<SessionInfo>& caller);

  static constexpr int kPostponeMinutes = 10;
  static constexpr int kMaxPostponements = 3;

  // What the service shows changed: the policy, the phase or the next action's minute. With a
  // phase, that phase began: the warning, the countdown, or the end of the wait.
  std::function<void(std::optional<Phase> began)> Changed;

 private:
  // The minute of today's occurrence, if today is a chosen day, or of the postponed one.
  std::optional<int64_t> Occurrence(const LocalTime& now) const;
  Refusal MayRequest(bool forbidden, const std::optional<SessionInfo>& caller) const;
  void Fire(int64_t occurrence);
  void SetPhase(Phase phase);
  void Announce(std::optional<Phase> began);

  const Clock& clock_;
  Machine& machine_;
  std::optional<MachinePolicy> policy_;
  Phase phase_ = Phase::kIdle;
  std::optional<int64_t> pending_;  // the occurrence the phase is about
  std::optional<int64_t> fired_;
  std::optional<int64_t> stopped_;
  std::optional<int64_t> postponedTo_;
  int postponements_ = 0;
  std::optional<int64_t> inAt_;  // the one occurrence of In
  // The occurrence whose minute came before its countdown had run, and when that began on
  // the clock's elapsed count.
  std::optional<int64_t> owed_;
  int64_t countdownSince_ = 0;
  // What the last announcement showed; the followers learn of a change only when told.
  std::optional<LocalTime> shownNext_;
  bool policyShown_ = false;
};

}  // namespace duskline
