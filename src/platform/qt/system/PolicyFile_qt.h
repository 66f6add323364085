// The administrator's policy file, /etc/duskline/policy.ini.
#pragma once

#include <optional>
#include <string>

#include "platform/Machine.h"
#include "service/MachineSchedule.h"

namespace duskline::qt {

inline constexpr char kPolicyFolder[] = "/etc/duskline";
inline constexpr char kPolicyFile[] = "/etc/duskline/policy.ini";

// Why users other than root could change the file or its folder; empty when only root can
// (or when the file is not there).
std::string WritableByOthers(const std::string& folder, const std::string& file);

// The schedule the file sets; nothing when it sets none or may not be trusted, which the
// journal is told.
std::optional<MachinePolicy> ReadMachinePolicy(Machine& journal);

}  // namespace duskline::qt
