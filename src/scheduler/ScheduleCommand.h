// The schedule as one text, "00:00 2": the time text followed by the type index with a sign
// position. This is the form of the command line and of the INI entry.
#pragma once

#include <cstdint>
#include <string>

namespace duskline {

inline constexpr const char* kDefaultSchedule = "00:00 2";
inline constexpr const char* kScheduleFile = "Vesperon.ini";
inline constexpr const char* kScheduleSection = "Command";
inline constexpr const char* kScheduleEntry = "Code";

// The index of cmbType. -1 (nothing selected) and any unknown value act as log-off. The
// actions from kRestart on came later, so that stored schedules keep their meaning.
enum ShutdownType : int16_t {
  kLogoff = 0,
  kShutdown = 1,
  kPowerOff = 2,
  kRestart = 3,
  kSleep = 4,
  kHibernate = 5,
  kLock = 6,
};
inline constexpr int kShutdownTypeCount = 7;

// The item of cmbType ("Logoff", "Shutdown", ...); any index outside 1..6 names the log-off.
std::string ShutdownTypeName(int index);

// The program outlives these actions: the check goes on after them.
constexpr bool KeepsRunning(int index) {
  return index >= kRestart && index <= kLock;
}

struct ScheduleParts {
  std::string timeText;
  int16_t typeIndex = 0;
};

// Time text then the index: "07:30" and 1 give "07:30 1", -1 gives "07:30-1".
std::string ProduceScheduleCommand(const std::string& timeText, int typeIndex);

// Splits at the first blank: the time text before it, the number read from the rest (the blank
// included) as the index. Without a blank: empty text and 0. Raises 6 when the index does not
// fit 16 bits.
ScheduleParts ParseScheduleCommand(const std::string& command);

// The INI file beside the program. A directory that already ends in a separator (the root of
// a drive) gets no second one.
std::string ScheduleFilePath(const std::string& directory);

}  // namespace duskline
