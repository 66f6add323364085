#include "scheduler/Trigger.h"

#include <array>

#include "platform/Language.h"
#include "platform/Runtime.h"

namespace duskline {

namespace {

constexpr std::array<const char*, kTriggerKindCount> kItems = {
    N_("At a time of day"), N_("In"), N_("When idle for"), N_("After program")};
constexpr std::array<const char*, kTriggerKindCount> kStoredNames = {"", "In", "Idle", "After"};
constexpr std::array<const char*, kTriggerKindCount> kCommandWords = {"", "in ", "idle ", "after "};

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string TriggerKindName(TriggerKind kind) {
  return kItems[static_cast<size_t>(kind)];
}

std::optional<int> DurationMinutes(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon < 1 || colon > 2 || text.size() != colon + 3)
    return std::nullopt;
  int hours = 0, minutes = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == colon) continue;
    if (!IsDigit(text[i])) return std::nullopt;
    int& field = i < colon ? hours : minutes;
    field = field * 10 + (text[i] - '0');
  }
  const int total = hours * 60 + minutes;
  if (minutes >= 60 || total < 1) return std::nullopt;
  return total;
}

std::optional<Trigger> ParseTrigger(std::string_view value) {
  if (value.empty()) return Trigger{};
  const auto blank = value.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const std::string_view name = value.substr(0, blank), rest = value.substr(blank + 1);
  for (int kind = 1; kind < kTriggerKindCount; ++kind) {
    if (name != kStoredNames[static_cast<size_t>(kind)]) continue;
    Trigger trigger{static_cast<TriggerKind>(kind), "", ""};
    if (trigger.kind == TriggerKind::After) {
      if (rest.empty()) return std::nullopt;
      trigger.program = rest;
    } else {
      if (!DurationMinutes(rest)) return std::nullopt;
      trigger.wait = rest;
    }
    return trigger;
  }
  return std::nullopt;
}

std::string StoredTrigger(const Trigger& trigger) {
  const std::string name = kStoredNames[static_cast<size_t>(trigger.kind)];
  switch (trigger.kind) {
    case TriggerKind::TimeOfDay:
      return "";
    case TriggerKind::After:
      return name + " " + trigger.program;
    default:
      return name + " " + trigger.wait;
  }
}

std::optional<TriggerCommand> ParseTriggerCommand(const std::string& command) {
  for (int kind = 1; kind < kTriggerKindCount; ++kind) {
    const std::string word = kCommandWords[static_cast<size_t>(kind)];
    if (!command.starts_with(word)) continue;
    const std::string rest = command.substr(word.size());
    const auto blank = rest.rfind(' ');
    if (blank == std::string::npos || blank == 0) return std::nullopt;
    const std::optional<Trigger> trigger = ParseTrigger(
        std::string(kStoredNames[static_cast<size_t>(kind)]) + " " + rest.substr(0, blank));
    if (!trigger) return std::nullopt;
    return TriggerCommand{*trigger, RoundToInt16(NumberFromText(rest.substr(blank)))};
  }
  return std::nullopt;
}

namespace {

const char* TriggerTemplate(TriggerKind kind) {
  switch (kind) {
    case TriggerKind::In:
      return N_("in %s");
    case TriggerKind::Idle:
      return N_("after %s idle");
    case TriggerKind::After:
      return N_("when %s ends");
    default:
      return "";
  }
}

}  // namespace

std::string TriggerText(const Trigger& trigger) {
  return Format(TriggerTemplate(trigger.kind),
                {trigger.kind == TriggerKind::After ? trigger.program : trigger.wait});
}

std::string ShownTriggerText(const Trigger& trigger) {
  return TrFormat(TriggerTemplate(trigger.kind),
                  {trigger.kind == TriggerKind::After ? trigger.program : trigger.wait});
}

}  // namespace duskline
