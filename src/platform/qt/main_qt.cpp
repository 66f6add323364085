// The program on Linux: the platform objects, the main window, then Qt's event loop.
#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <memory>

#include "platform/Machine.h"
#include "platform/Platform.h"
#include "platform/qt/App_qt.h"
#include "platform/qt/Backend_qt.h"
#include "platform/qt/ClockWatch_qt.h"
#include "platform/qt/Follow_qt.h"
#include "platform/qt/PolicyFile_qt.h"
#include "platform/qt/Triggers_qt.h"
#include "platform/qt/WindowSystem_qt.h"
#include "scheduler/Main.h"

int main(int argc, char** argv) {
  using namespace duskline;
  // Qt takes its own options (-platform and the like) out of the arguments here.
  QApplication application(argc, argv);
  // Hidden into the tray is still running: only the program itself ends the program.
  QApplication::setQuitOnLastWindowClosed(false);
  // The windows take the icon the package installs, and the desktop finds the program's entry.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("duskline")));
  QGuiApplication::setDesktopFileName(QStringLiteral("duskline"));
  // Started by the autostart entry, the program follows the system service, or, where none
  // runs, does nothing at all.
  std::unique_ptr<qt::BusScheduler> scheduler;
  if (std::getenv(qt::kFollowVariable) != nullptr) {
    scheduler = std::make_unique<qt::BusScheduler>();
    if (scheduler->Phase().empty()) return 0;
  }
  const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
  qt::QtApp app(qt::FindSettingsFolder(programFolder), qt::JoinArguments(argc, argv));
  qt::QtWindowSystem windows;
  qt::QtClock clock;
  const std::unique_ptr<IniFunctions> ini = MakeSystemIniFunctions();
  const std::unique_ptr<SystemApi> api =
      qt::CreateSystemApi([&windows] { windows.RaiseSystemResumed(); });
  const qt::ClockWatch clockWatch([&windows] { windows.RaiseClockChanged(); });
  const std::unique_ptr<TrayIcon> tray = qt::CreateTrayIcon();
  const std::unique_ptr<ServiceControl> service =
      qt::CreateServiceControl(QCoreApplication::applicationFilePath().toStdString());

  // An error no handler traps: the standard report, then the end of the program.
  auto unhandled = [&](const RuntimeError& error) {
    windows.MessageBox(StandardErrorText(error), app.Title());
    app.End();
  };
  EventDispatcher events(unhandled);
  windows.SetLastResort(unhandled);

  // Why a policy file is ignored goes to the journal, as the program's other warnings.
  qt::PolicyFile policy(qt::kPolicyFolder, [&service](const std::string& text) {
    service->WriteEventLogEntry(kWarningEventType, kWarningEventId, text);
  });
  qt::SessionIdle idle;
  qt::PidfdWatch processes;
  Platform platform{app,      windows, clock,  *ini, *api,     *tray,
                    *service, events,  policy, idle, processes};
  Main main(platform);
  if (scheduler) main.Follow(*scheduler);
  events.Raise([&] { main.Start(); });
  return windows.Run();
}
