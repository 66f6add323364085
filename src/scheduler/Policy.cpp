#include "scheduler/Policy.h"

#include <utility>

namespace duskline {

namespace {

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

int TwoDigits(std::string_view text, size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

std::string Shown(const PolicyValue& value) {
  return value.kind == PolicyValue::Kind::Number ? std::to_string(value.number)
                                                 : "\"" + value.text + "\"";
}

}  // namespace

bool IsWellFormedSchedule(std::string_view command) {
  if (command.size() != 7 || command[2] != ':' || command[5] != ' ') return false;
  for (size_t at : {0, 1, 3, 4, 6})
    if (!Digit(command[at])) return false;
  return TwoDigits(command, 0) <= 23 && TwoDigits(command, 3) <= 59 && command[6] <= '6';
}

std::optional<DaySet> WellFormedDays(std::string_view days) {
  DaySet set = 0;
  int next = 0;  // the first day the next name may be
  for (size_t at = 0;; at += 4) {
    const std::string_view name = days.substr(at, 3);
    while (next < kDaysInWeek && DayName(next) != name) ++next;
    if (next == kDaysInWeek) return std::nullopt;
    set |= static_cast<DaySet>(1 << next++);
    if (at + 3 == days.size()) return set;
    if (days[at + 3] != ' ') return std::nullopt;
  }
}

PolicyReader::PolicyReader(const PolicyStore& store, Report malformed)
    : store_(store), malformed_(std::move(malformed)) {}

Policy PolicyReader::Read() {
  Policy policy;
  policy.code = ReadValue<std::string>(
      kPolicyCode, "a schedule: HH:MM, a blank and an action 0 to 6, such as 22:30 1",
      [](const PolicyValue& value) -> std::optional<std::string> {
        if (value.kind == PolicyValue::Kind::Text && IsWellFormedSchedule(value.text))
          return value.text;
        return std::nullopt;
      });
  policy.days =
      ReadValue<DaySet>(kPolicyDays,
                        "days of the week: Mon Tue Wed Thu Fri Sat Sun, in this order, one blank "
                        "between two",
                        [](const PolicyValue& value) -> std::optional<DaySet> {
                          if (value.kind != PolicyValue::Kind::Text) return std::nullopt;
                          if (value.text.empty()) return kEveryDay;
                          return WellFormedDays(value.text);
                        });
  policy.trigger = ReadValue<Trigger>(
      kPolicyTrigger, "a trigger: In H:MM, Idle H:MM, After and a program's name, or empty",
      [](const PolicyValue& value) -> std::optional<Trigger> {
        if (value.kind != PolicyValue::Kind::Text) return std::nullopt;
        return ParseTrigger(value.text);
      });
  const auto noStop = ReadFlag(kPolicyNoStop);
  const auto noPostpone = ReadFlag(kPolicyNoPostpone);
  policy.noStop = noStop && noStop->value;
  policy.noPostpone = noPostpone && noPostpone->value;
  return policy;
}

template <typename T, typename Parse>
std::optional<PolicySetting<T>> PolicyReader::ReadValue(const char* name, const char* expected,
                                                        Parse parse) {
  for (PolicyScope scope : {PolicyScope::Machine, PolicyScope::User}) {
    const PolicyValue value = store_.Read(scope, name);
    const std::string where = store_.Where(scope, name);
    if (value.kind == PolicyValue::Kind::Absent) {
      reported_.erase(where);
      continue;
    }
    std::optional<T> parsed;
    if (value.kind != PolicyValue::Kind::Unreadable) parsed = parse(value);
    if (parsed) {
      reported_.erase(where);
      return PolicySetting<T>{std::move(*parsed), scope};
    }
    const std::string shown =
        value.kind == PolicyValue::Kind::Unreadable ? std::string() : Shown(value);
    auto [it, added] = reported_.try_emplace(where, shown);
    if (!added && it->second == shown) continue;
    it->second = shown;
    if (malformed_) {
      malformed_(shown.empty() ? "The policy value " + where +
                                     " cannot be read or is of the wrong type; it is ignored."
                               : "The policy value " + where + " = " + shown + " is not " +
                                     expected + "; it is ignored.");
    }
  }
  return std::nullopt;
}

std::optional<PolicySetting<bool>> PolicyReader::ReadFlag(const char* name) {
  return ReadValue<bool>(name, "0 or 1", [](const PolicyValue& value) -> std::optional<bool> {
    // A text file holds the number as text.
    if (value.kind == PolicyValue::Kind::Number && value.number <= 1) return value.number == 1;
    if (value.kind == PolicyValue::Kind::Text && (value.text == "0" || value.text == "1"))
      return value.text == "1";
    return std::nullopt;
  });
}

}  // namespace duskline
