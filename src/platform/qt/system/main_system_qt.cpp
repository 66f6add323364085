// The system service: the administrator's schedule for every user of the computer, without a
// window, under systemd. A program of its own, so that the user's program keeps every command
// line it has, and so that the service loads no graphical library.
#include <sys/signalfd.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>

#include "platform/qt/App_qt.h"
#include "platform/qt/PolicyFile_qt.h"
#include "platform/qt/system/LogindMachine_qt.h"
#include "platform/qt/system/SchedulerBus_qt.h"

int main(int argc, char** argv) {
  using namespace duskline;
  QCoreApplication application(argc, argv);

  // The stop request arrives as a signal; read on this thread, it is an event like the others.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  sigprocmask(SIG_BLOCK, &stops, nullptr);
  const int stopFd = signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);

  QDBusConnection bus = QDBusConnection::systemBus();
  qt::LogindMachine machine(bus);
  qt::QtClock clock;
  MachineSchedule schedule(clock, machine);
  qt::SchedulerBus object(bus, schedule, machine);
  schedule.Changed = [&object](std::optional<Phase> began) { object.Announce(began); };
  auto warn = [&machine](const std::string& text) {
    machine.WriteEventLogEntry(kWarningEventType, kWarningEventId, text);
  };
  qt::PolicyFile store(qt::kPolicyFolder, warn);
  PolicyReader reader(store, warn);
  schedule.SetPolicy(MachinePolicyOf(reader.Read()));
  if (!bus.isConnected() || !object.Publish()) {
    machine.WriteEventLogEntry(
        kErrorEventType, kErrorEventId,
        "The system bus refused the name " + std::string(qt::kSchedulerName) + ".");
    return 1;
  }

  QSocketNotifier stopNotifier(stopFd, QSocketNotifier::Read);
  QObject::connect(&stopNotifier, &QSocketNotifier::activated, [&] {
    signalfd_siginfo info{};
    while (read(stopFd, &info, sizeof info) == sizeof info) {
    }
    sd_notify(0, "STOPPING=1");
    machine.WriteEventLogEntry(kStatusEventType, kStatusEventId, "Service stopped");
    QCoreApplication::quit();
  });
  auto tick = [&schedule] {
    try {
      schedule.Tick();
    } catch (...) {
      // As in the window's check: a failing tick is skipped, and the next one tries again.
    }
  };
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, tick);
  check.start(1000);
  tick();  // the properties are true from the first call on
  store.Changed = [&] {
    std::optional<MachinePolicy> policy = MachinePolicyOf(reader.Read());
    if (policy == schedule.policy()) return;
    schedule.SetPolicy(std::move(policy));
    tick();
  };

  machine.WriteEventLogEntry(kStatusEventType, kStatusEventId, "Service started");
  sd_notify(0, "READY=1");
  return QCoreApplication::exec();
}
