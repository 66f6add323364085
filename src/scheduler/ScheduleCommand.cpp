#include "scheduler/ScheduleCommand.h"

#include "platform/Language.h"
#include "platform/Runtime.h"

namespace duskline {

std::string ShutdownTypeName(int index) {
  switch (index) {
    case kShutdown:
      return N_("Shutdown");
    case kPowerOff:
      return N_("Power Off");
    case kRestart:
      return N_("Restart");
    case kSleep:
      return N_("Sleep");
    case kHibernate:
      return N_("Hibernate");
    case kLock:
      return N_("Lock");
    default:
      return N_("Logoff");
  }
}

std::string ProduceScheduleCommand(const std::string& timeText, int typeIndex) {
  return timeText + SignedNumberText(typeIndex);
}

ScheduleParts ParseScheduleCommand(const std::string& command) {
  ScheduleParts parts;
  const auto blank = command.find(' ');
  if (blank == std::string::npos) return parts;
  const int16_t index = RoundToInt16(NumberFromText(std::string_view(command).substr(blank)));
  parts.timeText = command.substr(0, blank);
  parts.typeIndex = index;
  return parts;
}

std::string ScheduleFilePath(const std::string& directory) {
  const bool endsInSeparator =
      !directory.empty() && (directory.back() == '\\' || directory.back() == '/');
  return directory + (endsInSeparator ? "" : "\\") + kScheduleFile;
}

}  // namespace duskline
