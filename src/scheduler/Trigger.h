// What starts the countdown to the action: a time of day (the default, which txtTime holds),
// a duration from now ("In"), a time without keyboard or mouse input ("Idle"), or the end of
// a program ("After"). Stored as one value beside Code: "In 0:30", "Idle 0:20",
// "After firefox"; no value is the time of day.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "scheduler/ScheduleCommand.h"

namespace duskline {

inline constexpr const char* kTriggerEntry = "Trigger";

// The items of cmbTrigger, in this order.
enum class TriggerKind { TimeOfDay = 0, In = 1, Idle = 2, After = 3 };
inline constexpr int kTriggerKindCount = 4;
std::string TriggerKindName(TriggerKind kind);

struct Trigger {
  TriggerKind kind = TriggerKind::TimeOfDay;
  std::string wait;     // H:MM, for In and Idle
  std::string program;  // for After
  bool operator==(const Trigger&) const = default;
};

// "H:MM" or "HH:MM" with minutes below 60, at least one minute in all; nothing otherwise.
std::optional<int> DurationMinutes(std::string_view text);

// The stored value; nothing for a malformed one. The empty text is the time of day.
std::optional<Trigger> ParseTrigger(std::string_view value);
// Empty for the time of day, which stores nothing.
std::string StoredTrigger(const Trigger& trigger);

// The command-line forms "in H:MM N", "idle H:MM N" and "after NAME N". Read as a plain
// schedule, each would act at 00:00 (the time text "in", "idle" or "after") with the action
// that the duration's hours or the name's first digits happen to give, or fail: nobody can
// have relied on that. Nothing for any other text.
struct TriggerCommand {
  Trigger trigger;
  int16_t typeIndex = 0;
};
std::optional<TriggerCommand> ParseTriggerCommand(const std::string& command);

// How the tooltip and the event log name it: "in 0:30", "after 0:20 idle", "when firefox
// ends"; the time of day names itself.
std::string TriggerText(const Trigger& trigger);
// The same in the user's language, for the tooltip.
std::string ShownTriggerText(const Trigger& trigger);

}  // namespace duskline
