#include "platform/qt/system/PolicyFile_qt.h"

#include <sys/stat.h>

#include "platform/Ini.h"
#include "platform/Runtime.h"
#include "profile/clsProfileINI.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline::qt {
namespace {

std::string Unsafe(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return {};
  if (status.st_uid != 0) return path + " is not owned by root";
  if ((status.st_mode & S_IWOTH) || ((status.st_mode & S_IWGRP) && status.st_gid != 0))
    return path + " can be changed by users other than root";
  return {};
}

}  // namespace

std::string WritableByOthers(const std::string& folder, const std::string& file) {
  const std::string why = Unsafe(folder);
  return why.empty() ? Unsafe(file) : why;
}

std::optional<MachinePolicy> ReadMachinePolicy(Machine& journal) {
  struct stat status {};
  if (stat(kPolicyFile, &status) != 0) return std::nullopt;
  if (const std::string why = WritableByOthers(kPolicyFolder, kPolicyFile); !why.empty()) {
    journal.WriteEventLogEntry(kWarningEventType, kWarningEventId,
                               why + ": the policy is ignored.");
    return std::nullopt;
  }
  const std::unique_ptr<IniFunctions> ini = MakeSystemIniFunctions();
  clsProfileINI profile(*ini);
  const std::string code =
      profile.GetProfileText(kPolicyFile, kScheduleSection, kScheduleEntry, "");
  if (code.empty()) return std::nullopt;
  MachinePolicy policy;
  try {
    const ScheduleParts parts = ParseScheduleCommand(code);
    policy.timeText = parts.timeText;
    policy.typeIndex = parts.typeIndex;
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
  if (auto days = ParseDays(profile.GetProfileText(kPolicyFile, kScheduleSection, kDaysEntry, "")))
    policy.days = *days;
  policy.noStop = profile.GetProfileText(kPolicyFile, "Policy", "NoStop", "") == "1";
  policy.noPostpone = profile.GetProfileText(kPolicyFile, "Policy", "NoPostpone", "") == "1";
  return policy;
}

}  // namespace duskline::qt
