#include "scheduler/ScheduleCommand.h"

#include "platform/Runtime.h"

namespace duskline {

std::string ShutdownTypeName(int index) {
  switch (index) {
    case kShutdown:
      return "Shutdown";
    case kPowerOff:
      return "Power Off";
    case kRestart:
      return "Restart";
    case kSleep:
      return "Sleep";
    case kHibernate:
      return "Hibernate";
    case kLock:
      return "Lock";
    default:
      return "Logoff";
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
