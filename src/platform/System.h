// The program's view of its host: the application object, the local clock and the Windows
// functions it calls by name.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace duskline {

// The application: its directory, title, version and command line, and the immediate end.
class App {
 public:
  virtual ~App() = default;
  virtual std::string Path() const = 0;   // folder of the executable
  virtual std::string Title() const = 0;  // "Vesperon"
  virtual int Major() const = 0;
  virtual int Minor() const = 0;
  virtual int Revision() const = 0;
  virtual std::string CommandLine() const = 0;  // everything after the program's own name
  // The user's interface languages, most wanted first, as the system names them ("de-DE",
  // "de_DE.UTF-8"); empty where it names none.
  virtual std::vector<std::string> UserLanguages() const { return {}; }
  // Ends the program at once: no unload or termination handler of any window runs.
  [[noreturn]] virtual void End() = 0;
};

struct LocalTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
  bool operator==(const LocalTime&) const = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  // Milliseconds on a count that setting the clock does not move: what a duration is
  // measured on.
  virtual int64_t Elapsed() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};

// TOKEN_PRIVILEGES with one entry: 16 bytes.
struct TokenPrivileges {
  uint32_t privilegeCount = 0;
  uint64_t luid = 0;
  uint32_t attributes = 0;
};

// The Windows kernel, security, user and power functions of the shut-down actions and the
// topmost helper. Results are as the Windows functions give them; the privilege steps are
// judged by GetLastError.
class SystemApi {
 public:
  virtual ~SystemApi() = default;
  virtual uint32_t GetVersion() = 0;
  virtual void SetLastError(uint32_t code) = 0;
  virtual uint32_t GetLastError() = 0;
  // What the last-error code means, in the system's words; empty when it cannot be told.
  virtual std::string ErrorText(uint32_t code) = 0;
  virtual std::intptr_t GetCurrentProcess() = 0;
  virtual bool OpenProcessToken(std::intptr_t process, uint32_t desiredAccess,
                                std::intptr_t* token) = 0;
  virtual bool LookupPrivilegeValueA(const std::string& systemName,
                                     const std::string& privilegeName, uint64_t* luid) = 0;
  virtual bool AdjustTokenPrivileges(std::intptr_t token, bool disableAll,
                                     const TokenPrivileges& newState, uint32_t bufferLength,
                                     TokenPrivileges* previousState, uint32_t* returnLength) = 0;
  // This and the calls below return false when the system refused the action.
  virtual bool ExitWindowsEx(uint32_t flags, uint32_t reserved) = 0;
  // Sleep or hibernate. Where the system lacks the function, false and nothing happens.
  virtual bool SetSuspendState(bool hibernate, bool force, bool wakeupEventsDisabled) = 0;
  // Whether hibernation is on; false where it cannot be told.
  virtual bool IsPwrHibernateAllowed() = 0;
  virtual bool LockWorkStation() = 0;
  virtual bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, int x, int y, int cx,
                            int cy, uint32_t flags) = 0;
};

}  // namespace duskline
