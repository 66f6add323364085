// What the system service asks of the computer it runs on: the actions for every user's
// session at once, and the journal.
#pragma once

#include <cstdint>
#include <string>

namespace duskline {

enum class MachineAction {
  kEndSessions,  // every graphical session of a user
  kHalt,
  kPowerOff,
  kReboot,
  kSuspend,
  kHibernate,
  kLockSessions,  // every graphical session of a user
};

// A login session as the login manager describes it.
struct SessionInfo {
  std::string type;          // "x11", "wayland", "tty", ...
  std::string sessionClass;  // "user", "greeter", "background", ...
  bool active = false;       // in front on its seat
};

// The journal's entries, in the event log's numbers.
inline constexpr int16_t kStatusEventType = 4;
inline constexpr int32_t kStatusEventId = 110;
inline constexpr int16_t kWarningEventType = 2;
inline constexpr int32_t kWarningEventId = 111;
inline constexpr int16_t kErrorEventType = 109;
inline constexpr int32_t kErrorEventId = 1;

class Machine {
 public:
  virtual ~Machine() = default;
  // Carries the action out without asking anybody. Empty when done, else why not; `count`
  // receives the number of sessions ended or locked.
  virtual std::string Carry(MachineAction action, int& count) = 0;
  virtual void WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) = 0;
};

}  // namespace duskline
