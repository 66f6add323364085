// What an administrator's policy means: a schedule (Code, Days) that the user cannot change,
// and a countdown without "Stop" (NoStop) or without "Postpone" (NoPostpone). Each value is
// taken from the computer's policy, else from the user's; a value that is there but malformed
// counts as absent, and is reported once.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PolicyStore.h"
#include "scheduler/ChosenDays.h"
#include "scheduler/Trigger.h"

namespace duskline {

// The names of the values, the same for every store.
inline constexpr const char* kPolicyCode = "Code";
inline constexpr const char* kPolicyDays = "Days";
inline constexpr const char* kPolicyTrigger = "Trigger";
inline constexpr const char* kPolicyNoStop = "NoStop";
inline constexpr const char* kPolicyNoPostpone = "NoPostpone";

// "HH:MM", one blank and a type 0 to 6: the schedules an administrator or an installer may set.
bool IsWellFormedSchedule(std::string_view command);

// Names of Mon Tue Wed Thu Fri Sat Sun, written so, in this order, each at most once, one blank
// between two; nothing for anything else.
std::optional<DaySet> WellFormedDays(std::string_view days);

template <typename T>
struct PolicySetting {
  T value;
  PolicyScope scope;
  bool operator==(const PolicySetting&) const = default;
};

struct Policy {
  std::optional<PolicySetting<std::string>> code;  // a well-formed schedule
  // An empty text is every day, as in the settings file.
  std::optional<PolicySetting<DaySet>> days;
  bool noStop = false;
  bool noPostpone = false;
  // The settings file's Trigger form; an empty text is the time of day.
  std::optional<PolicySetting<Trigger>> trigger{};
  bool operator==(const Policy&) const = default;
};

class PolicyReader {
 public:
  // Told of each malformed value once, until it is absent or well-formed again.
  using Report = std::function<void(const std::string& text)>;
  PolicyReader(const PolicyStore& store, Report malformed);

  Policy Read();

 private:
  template <typename T, typename Parse>
  std::optional<PolicySetting<T>> ReadValue(const char* name, const char* expected, Parse parse);
  std::optional<PolicySetting<bool>> ReadFlag(const char* name);

  const PolicyStore& store_;
  Report malformed_;
  std::map<std::string, std::string> reported_;  // where -> the value reported
};

}  // namespace duskline
