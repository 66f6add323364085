// The service switches as a systemd user service: the unit file, its enabling through the user
// manager on the session bus, readiness and stop through sd_notify, the requests as signals,
// and the entries in the journal.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Service.h"

class QSocketNotifier;

namespace duskline::qt {

inline constexpr char kUnitName[] = "duskline.service";

// A word of ExecStart that systemd reads back as `text`: quoted, with the C escapes of its
// quoting and the specifier and variable characters doubled.
std::string ExecWord(const std::string& text);
// The unit that starts `program` with the graphical session.
std::string UnitText(const std::string& displayName, const std::string& program);
// The journal's priority of an event-log type: 3 error, 4 warning, 6 information.
int JournalPriority(int16_t eventType);
// Where the user manager looks for the user's own units: $XDG_CONFIG_HOME/systemd/user/.
std::string UnitPath();

class SystemdService : public ServiceControl {
 public:
  explicit SystemdService(std::string programPath);
  ~SystemdService() override;

  std::string ServiceDisplayName() const override { return "Orvanta Duskline"; }
  bool DesktopInteraction() const override { return desktopInteraction_; }
  void SetDesktopInteraction(bool value) override { desktopInteraction_ = value; }
  void SetDebugMode(bool value) override { debugMode_ = value; }
  void SetAcceptedRequests(int32_t requests) override { acceptedRequests_ = requests; }
  bool InstallService() override;
  bool UninstallService() override;
  void StoreParameter(const std::string& section, const std::string& key,
                      const std::string& value) override;
  void RunService() override;
  void WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) override;
  // The Windows console-session relay has no counterpart: a user service runs in the session.
  bool InSessionZero() override { return false; }
  bool SendConsoleMessage(const std::string&, const std::string&, uint32_t, bool) override {
    return false;
  }
  bool LogoffConsoleSession() override { return false; }
  bool DisconnectConsoleSession() override { return false; }
  std::string WritableByUsers() override { return {}; }

 private:
  enum class State { kNone, kRunning, kPaused };
  void Start();
  void OnSignal(int signal);
  bool Raise(const std::function<void(bool&)>& event);

  std::string programPath_;
  bool desktopInteraction_ = false;
  bool debugMode_ = false;
  int32_t acceptedRequests_ = 0;
  State state_ = State::kNone;
  bool stopping_ = false;
  QObject context_;  // queued calls on the user-interface thread
  std::unique_ptr<QSocketNotifier> signals_;
};

}  // namespace duskline::qt
