#include "platform/qt/ServiceControl_qt.h"

#include <fcntl.h>
#include <syslog.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>
#include <systemd/sd-login.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>

#include "platform/qt/Backend_qt.h"

namespace duskline::qt {
namespace {

constexpr int32_t kAcceptPauseContinue = 2;
constexpr int kCallTimeoutMs = 10000;

// The pipe that carries a signal's number from its handler to the user-interface thread.
int signalPipe[2] = {-1, -1};

void ForwardSignal(int signal) {
  const int saved = errno;
  const char number = static_cast<char>(signal);
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &number, 1);
  errno = saved;
}

bool StartedBySystemd() {
  if (std::getenv("NOTIFY_SOCKET") != nullptr) return true;
  // Everything a service starts inherits its INVOCATION_ID, the shells of a terminal that runs
  // as a service among them: it counts only inside our own unit.
  char* unit = nullptr;
  const bool ours = std::getenv("INVOCATION_ID") != nullptr &&
                    sd_pid_get_user_unit(0, &unit) >= 0 && std::string_view(unit) == kUnitName;
  std::free(unit);
  return ours;
}

// A call on the user's service manager; false when it is not on the bus or refuses.
bool CallManager(const QString& method, const QVariantList& arguments = {}) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.systemd1"), QStringLiteral("/org/freedesktop/systemd1"),
      QStringLiteral("org.freedesktop.systemd1.Manager"), method);
  call.setArguments(arguments);
  return bus.call(call, QDBus::Block, kCallTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

bool ManagerOnBus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() &&
         bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.systemd1"));
}

}  // namespace

std::string ExecWord(const std::string& text) {
  std::string word = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        word += "\\\"";
        break;
      case '\\':
        word += "\\\\";
        break;
      case '\n':
        word += "\\n";
        break;
      case '\t':
        word += "\\t";
        break;
      case '%':
        word += "%%";
        break;  // a specifier
      case '$':
        word += "$$";
        break;  // a variable
      default:
        word += c;
    }
  }
  return word + '"';
}

std::string UnitText(const std::string& displayName, const std::string& program) {
  std::string description;
  for (const char c : displayName) description += c == '%' ? std::string("%%") : std::string(1, c);
  return "[Unit]\nDescription=" + description +
         "\nPartOf=graphical-session.target\nAfter=graphical-session.target\n\n"
         "[Service]\nType=notify\nExecStart=" +
         ExecWord(program) +
         "\nRestart=on-failure\n\n"
         "[Install]\nWantedBy=graphical-session.target\n";
}

int JournalPriority(int16_t eventType) {
  constexpr int16_t kErrorEntry = 109, kErrorType = 1, kWarningType = 2;
  if (eventType == kErrorEntry || eventType == kErrorType) return LOG_ERR;
  return eventType == kWarningType ? LOG_WARNING : LOG_INFO;
}

std::string UnitPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string folder = config != nullptr && config[0] == '/' ? config
                       : home != nullptr                     ? std::string(home) + "/.config"
                                                             : std::string();
  return folder.empty() ? std::string() : folder + "/systemd/user/" + kUnitName;
}

SystemdService::SystemdService(std::string programPath) : programPath_(std::move(programPath)) {}

SystemdService::~SystemdService() = default;

bool SystemdService::InstallService() {
  const std::string path = UnitPath();
  if (path.empty() || !ManagerOnBus()) return false;
  std::error_code error;
  const std::string program = std::filesystem::absolute(programPath_, error).string();
  if (error || program.empty()) return false;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  {
    std::ofstream unit(path, std::ios::binary | std::ios::trunc);
    unit << UnitText(ServiceDisplayName(), program);
    if (!unit.flush()) return false;
  }
  if (CallManager(QStringLiteral("EnableUnitFiles"),
                  {QStringList{QString::fromLatin1(kUnitName)}, false, true}) &&
      CallManager(QStringLiteral("Reload"))) {
    return true;
  }
  // Half an install is no install: the next attempt starts clean.
  std::filesystem::remove(path, error);
  return false;
}

bool SystemdService::UninstallService() {
  const std::string path = UnitPath();
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error) || !ManagerOnBus()) return false;
  if (!CallManager(QStringLiteral("DisableUnitFiles"),
                   {QStringList{QString::fromLatin1(kUnitName)}, false})) {
    return false;
  }
  const bool removed = std::filesystem::remove(path, error);
  return CallManager(QStringLiteral("Reload")) && removed;
}

void SystemdService::StoreParameter(const std::string&, const std::string&, const std::string&) {
  // Windows keeps the value with the service's registration; nothing here ever reads it back,
  // and the unit file is the whole registration.
}

void SystemdService::RunService() {
  if (!StartedBySystemd() || signals_) return;
  if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  signals_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(signals_.get(), &QSocketNotifier::activated, &context_, [this] {
    char number = 0;
    while (read(signalPipe[0], &number, 1) == 1) OnSignal(number);
  });
  struct sigaction action {};
  action.sa_handler = &ForwardSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  // systemd has no pause and continue; the user's guide names these two signals for them.
  if ((acceptedRequests_ & kAcceptPauseContinue) == 0) action.sa_handler = SIG_IGN;
  sigaction(SIGUSR1, &action, nullptr);
  sigaction(SIGUSR2, &action, nullptr);
  // As under Windows, the start arrives after the window has loaded.
  QTimer::singleShot(0, &context_, [this] { Start(); });
}

bool SystemdService::Raise(const std::function<void(bool&)>& event) {
  // Refused unless the handler says otherwise; nothing is thrown into Qt's event loop.
  bool success = false;
  try {
    if (event) event(success);
  } catch (...) {
  }
  return success;
}

void SystemdService::Start() {
  if (Raise(ServiceStarted)) {
    state_ = State::kRunning;
    sd_notify(0, "READY=1\nSTATUS=Running");
  } else {
    sd_notify(0, "STATUS=Start refused");
    QCoreApplication::exit(1);
  }
}

void SystemdService::OnSignal(int signal) {
  if (signal == SIGTERM) {
    if (std::exchange(stopping_, true)) return;
    sd_notify(0, "STOPPING=1");
    try {
      if (ServiceStopped) ServiceStopped();
    } catch (...) {
    }
    // A handler that let the program live has still been told to stop.
    QCoreApplication::quit();
  } else if (signal == SIGUSR1 && state_ == State::kRunning && Raise(ServicePaused)) {
    state_ = State::kPaused;
    sd_notify(0, "STATUS=Paused");
  } else if (signal == SIGUSR2 && state_ == State::kPaused && Raise(ServiceContinued)) {
    state_ = State::kRunning;
    sd_notify(0, "STATUS=Running");
  }
}

void SystemdService::WriteEventLogEntry(int16_t eventType, int32_t eventId,
                                        const std::string& text) {
  // An entry that cannot be written is lost quietly, as on Windows.
  sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%d", JournalPriority(eventType),
                  "SYSLOG_IDENTIFIER=duskline", "DUSKLINE_EVENT_ID=%d", static_cast<int>(eventId),
                  nullptr);
}

std::unique_ptr<ServiceControl> CreateServiceControl(const std::string& programPath) {
  return std::make_unique<SystemdService>(programPath);
}

}  // namespace duskline::qt
