// The computer as the system service sees it: logind on the system bus for the actions on
// every session and for the session a caller sits at, and the journal.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <optional>

#include "platform/Machine.h"

namespace duskline::qt {

class LogindMachine : public Machine {
 public:
  explicit LogindMachine(QDBusConnection bus) : bus_(std::move(bus)) {}
  std::string Carry(MachineAction action, int& count) override;
  void WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) override;

  // The session of the process `pid` of user `uid`; nothing when it is in none, or when the
  // session belongs to somebody else.
  std::optional<SessionInfo> SessionOf(uint32_t pid, uint32_t uid);

 private:
  // Ends or locks every graphical session of a user; why the first refusal, if any.
  std::string EachGraphicalSession(const QString& method, int& count);

  QDBusConnection bus_;
};

}  // namespace duskline::qt
