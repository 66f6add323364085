#include "platform/win32/ServiceControl_win.h"

#include <aclapi.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <memory>
#include <mutex>
#include <type_traits>

#include "platform/Runtime.h"
#include "platform/win32/Controls_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"DusklineServiceHost";
constexpr int kErrInvalidProcedureCall = 5;
constexpr int kErrPermissionDenied = 70;

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // a long path was cut: try again with room
  }
}

RegistryKey CreateKey(const ServiceSystemCalls& calls, const std::wstring& path, LSTATUS& status) {
  HKEY key = nullptr;
  status = calls.regCreateKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr);
  return RegistryKey(status == ERROR_SUCCESS ? key : nullptr);
}

LSTATUS SetText(const ServiceSystemCalls& calls, HKEY key, const wchar_t* name,
                const std::wstring& text, DWORD type) {
  return calls.regSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

[[noreturn]] void RaiseRegistryError(LSTATUS status) {
  if (status == ERROR_ACCESS_DENIED) throw RuntimeError(kErrPermissionDenied, "Permission denied");
  throw RuntimeError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
}

constexpr DWORD kNoSession = 0xFFFFFFFF;

DWORD ActiveConsoleSession() {
  auto* active = LaterFunction<decltype(::WTSGetActiveConsoleSessionId)>(
      L"kernel32.dll", "WTSGetActiveConsoleSessionId");
  return active ? active() : kNoSession;
}

// The countdown sent to the console session, waiting for its answer on a thread of its own.
struct ConsoleMessage {
  HWND window;  // where the answer goes
  DWORD session;
  std::wstring caption, text;
  DWORD timeoutSeconds;
  DWORD buttons;
};

DWORD WINAPI SendAndWait(LPVOID parameter) {
  std::unique_ptr<ConsoleMessage> message(static_cast<ConsoleMessage*>(parameter));
  auto* send = LaterFunction<decltype(::WTSSendMessageW)>(L"wtsapi32.dll", "WTSSendMessageW");
  DWORD response = 0;
  if (send != nullptr &&
      send(WTS_CURRENT_SERVER_HANDLE, message->session, message->caption.data(),
           static_cast<DWORD>(message->caption.size() * sizeof(wchar_t)), message->text.data(),
           static_cast<DWORD>(message->text.size() * sizeof(wchar_t)), message->buttons,
           message->timeoutSeconds, &response, TRUE)) {
    PostMessageW(message->window, ServiceHost::kConsoleMessage, response, 0);
  }
  return 0;
}

// Users, Authenticated Users, Everyone, INTERACTIVE, and any local or domain account but the
// built-in administrator (RID 500).
bool OrdinaryAccount(const std::wstring& sid) {
  for (const wchar_t* group : {L"S-1-5-32-545", L"S-1-5-11", L"S-1-1-0", L"S-1-5-4"}) {
    if (sid == group) return true;
  }
  return sid.starts_with(L"S-1-5-21-") && !sid.ends_with(L"-500");
}

// Who, by the access list, may write, delete or re-permit the object: a SID, or empty.
std::wstring OrdinaryWriter(const ACL& dacl, bool folder) {
  auto* toText =
      LaterFunction<decltype(::ConvertSidToStringSidW)>(L"advapi32.dll", "ConvertSidToStringSidW");
  if (toText == nullptr) return {};
  DWORD changes = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER |
                  GENERIC_WRITE | GENERIC_ALL;
  if (folder) changes |= FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD;
  const auto* entry = reinterpret_cast<const BYTE*>(&dacl) + sizeof(ACL);
  for (WORD index = 0; index < dacl.AceCount; ++index) {
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(entry);
    entry += ace->Header.AceSize;
    // Inherit-only entries are for the folder's children, not the folder itself.
    if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
        (ace->Header.AceFlags & INHERIT_ONLY_ACE) || (ace->Mask & changes) == 0) {
      continue;
    }
    LPWSTR text = nullptr;
    if (!toText(const_cast<DWORD*>(&ace->SidStart), &text)) continue;
    const std::wstring sid = text;
    LocalFree(text);
    if (OrdinaryAccount(sid)) return sid;
  }
  return {};
}

// Why the object can be changed by an ordinary account; empty when it cannot, or when its
// security descriptor cannot be read.
std::string WhyWritable(const std::wstring& path, bool folder) {
  auto* read =
      LaterFunction<decltype(::GetNamedSecurityInfoW)>(L"advapi32.dll", "GetNamedSecurityInfoW");
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (read == nullptr || read(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return {};
  }
  const std::wstring writer = dacl ? OrdinaryWriter(*dacl, folder) : L"";
  const bool open = dacl == nullptr;
  LocalFree(descriptor);
  if (open) return Narrow(path) + " has no access list, so everyone may change it";
  if (writer.empty()) return {};
  return Narrow(path) + " may be changed by " + Narrow(writer);
}

}  // namespace

WORD EventLogType(int16_t eventType) {
  constexpr int16_t kErrorEntry = 109;
  switch (eventType) {
    case kErrorEntry:
    case EVENTLOG_ERROR_TYPE:
      return EVENTLOG_ERROR_TYPE;
    case EVENTLOG_WARNING_TYPE:
    case EVENTLOG_AUDIT_SUCCESS:
    case EVENTLOG_AUDIT_FAILURE:
      return static_cast<WORD>(eventType);
    default:
      return EVENTLOG_INFORMATION_TYPE;
  }
}

ServiceStatusReporter::ServiceStatusReporter(Sink sink) : sink_(std::move(sink)) {
  status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status_.dwCurrentState = SERVICE_STOPPED;
}

void ServiceStatusReporter::SetAcceptedControls(DWORD controls) {
  std::lock_guard lock(lock_);
  accepted_ = controls;
}

void ServiceStatusReporter::Report(DWORD state, DWORD exitCode) {
  std::lock_guard lock(lock_);
  if (stopped_) return;
  const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
                       state == SERVICE_PAUSE_PENDING || state == SERVICE_CONTINUE_PENDING;
  status_.dwCurrentState = state;
  // No requests while starting or stopping: there is nobody yet, or any more, to take them.
  status_.dwControlsAccepted =
      state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING || state == SERVICE_STOPPED
          ? 0
          : accepted_;
  status_.dwWin32ExitCode = exitCode;
  status_.dwServiceSpecificExitCode = exitCode == ERROR_SERVICE_SPECIFIC_ERROR ? 1 : 0;
  status_.dwCheckPoint = pending ? status_.dwCheckPoint + 1 : 0;
  status_.dwWaitHint = pending ? kWaitHint : 0;
  stopped_ = state == SERVICE_STOPPED;
  if (sink_) sink_(status_);
}

void ServiceStatusReporter::Repeat() {
  std::lock_guard lock(lock_);
  if (sink_ && !stopped_) sink_(status_);
}

DWORD ServiceStatusReporter::State() const {
  std::lock_guard lock(lock_);
  return status_.dwCurrentState;
}

std::atomic<ServiceHost*> ServiceHost::instance_{nullptr};

ServiceHost::ServiceHost(HINSTANCE instance, ServiceStatusReporter::Sink sink,
                         ServiceSystemCalls calls)
    : calls_(std::move(calls)),
      status_(sink ? std::move(sink) : [this](const SERVICE_STATUS& status) {
        SERVICE_STATUS copy = status;
        if (SERVICE_STATUS_HANDLE handle = statusHandle_) SetServiceStatus(handle, &copy);
      }) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &ServiceHost::WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);  // fails harmlessly when a second host registers it again
  // Message-only: the service threads post their requests here, to the creating thread.
  window_ =
      CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
}

ServiceHost::~ServiceHost() {
  {
    std::lock_guard lock(lock_);
    closing_ = true;
  }
  WakeAllConditionVariable(&answered_);
  ServiceHost* self = this;
  instance_.compare_exchange_strong(self, nullptr);
  if (statusHandle_ != nullptr) {
    // An attached dispatcher returns once the manager hears STOPPED.
    status_.Report(SERVICE_STOPPED);
    if (dispatcher_ != nullptr) WaitForSingleObject(dispatcher_, INFINITE);
  }
  // Never attached, the dispatcher is failing on its own (Wine takes ten seconds to give up)
  // and, with the instance pointer cleared, touches nothing of ours: it is left to end.
  if (dispatcher_ != nullptr) CloseHandle(dispatcher_);
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void ServiceHost::ReportProcessEnd() {
  ServiceHost* self = instance_;
  if (self != nullptr && self->statusHandle_ != nullptr) self->status_.Report(SERVICE_STOPPED);
}

std::string ServiceHost::ServiceDisplayName() const {
  return "Orvanta Duskline";
}

bool ServiceHost::DesktopInteraction() const {
  return desktopInteraction_;
}

void ServiceHost::SetDesktopInteraction(bool value) {
  desktopInteraction_ = value;
}

void ServiceHost::SetDebugMode(bool value) {
  debugMode_ = value;
}

void ServiceHost::SetAcceptedRequests(int32_t requests) {
  // The bits are the manager's own: 2 pause and continue, 4 shut-down; stop is always taken.
  acceptedControls_ =
      SERVICE_ACCEPT_STOP |
      (static_cast<DWORD>(requests) & (SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN));
  status_.SetAcceptedControls(acceptedControls_);
}

bool ServiceHost::RegisterEventLogSource(const std::wstring& modulePath) {
  LSTATUS status;
  RegistryKey key = CreateKey(calls_, kEventSourceKey, status);
  if (!key) return false;
  const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  return SetText(calls_, key.get(), L"EventMessageFile", modulePath, REG_EXPAND_SZ) ==
             ERROR_SUCCESS &&
         calls_.regSetValueEx(key.get(), L"TypesSupported", 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&types), sizeof types) == ERROR_SUCCESS;
}

bool ServiceHost::InstallService() {
  ServiceHandle manager(calls_.openSCManager(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) return false;
  const std::wstring path = ModulePath();
  if (path.empty()) return false;
  const std::wstring command = ServiceCommand(path);
  const DWORD type =
      SERVICE_WIN32_OWN_PROCESS | (desktopInteraction_ ? SERVICE_INTERACTIVE_PROCESS : 0);
  ServiceHandle service(
      calls_.createService(manager.get(), kServiceName, kServiceDisplayName,
                           SERVICE_QUERY_STATUS | SERVICE_CHANGE_CONFIG | SERVICE_START | DELETE,
                           type, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(),
                           nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!service) return false;
  if (!RegisterEventLogSource(path) || !SetRestartOnFailure(service.get())) {
    // Half an install is no install: undone, so that the failure message tells the truth and
    // the next attempt starts clean.
    calls_.deleteService(service.get());
    calls_.regDeleteKey(HKEY_LOCAL_MACHINE, kEventSourceKey);
    return false;
  }
  return true;
}

bool ServiceHost::UninstallService() {
  ServiceHandle manager(calls_.openSCManager(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return false;
  ServiceHandle service(calls_.openService(manager.get(), kServiceName, DELETE));
  if (!service || !calls_.deleteService(service.get())) return false;
  // The registration is gone; an event source left behind is taken over by the next install.
  calls_.regDeleteKey(HKEY_LOCAL_MACHINE, kEventSourceKey);
  return true;
}

void ServiceHost::StoreParameter(const std::string& section, const std::string& key,
                                 const std::string& value) {
  // Only a subkey of the service's own key: an empty section would reach the manager's
  // values (ImagePath among them), a backslash any key below it.
  if (section.empty() || section.find('\\') != std::string::npos) {
    throw RuntimeError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  }
  LSTATUS status;
  RegistryKey sectionKey =
      CreateKey(calls_, std::wstring(kServiceKey) + L"\\" + Wide(section), status);
  if (!sectionKey) RaiseRegistryError(status);
  status = SetText(calls_, sectionKey.get(), Wide(key).c_str(), Wide(value), REG_SZ);
  if (status != ERROR_SUCCESS) RaiseRegistryError(status);
}

void ServiceHost::RunService() {
  if (dispatcher_ != nullptr) return;
  instance_ = this;
  // Started from the message loop, after the window being loaded is shown: the dispatcher's
  // first steps load the RPC runtime and call the manager, which slowed that window's start.
  // A manager that started us waits far longer than one pass of the loop.
  if (!PostMessageW(window_, kDispatchMessage, 0, 0)) StartDispatcher();
}

void ServiceHost::StartDispatcher() {
  if (dispatcher_ != nullptr || instance_ != this) return;
  dispatcher_ = CreateThread(nullptr, 0, &ServiceHost::Dispatch, nullptr, 0, nullptr);
}

DWORD WINAPI ServiceHost::Dispatch(LPVOID) {
  SERVICE_TABLE_ENTRYW table[] = {
      {const_cast<LPWSTR>(kServiceName), &ServiceHost::ServiceMain},
      {nullptr, nullptr},
  };
  // Fails at once when the manager did not start this process; then nothing else happens.
  StartServiceCtrlDispatcherW(table);
  return 0;
}

void ServiceHost::WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) {
  // An entry that cannot be written is lost quietly: the log is no place to report itself.
  HANDLE source = calls_.registerEventSource(nullptr, kServiceName);
  if (source == nullptr) return;
  const std::wstring wide = Wide(text);
  const wchar_t* strings[] = {wide.c_str()};
  calls_.reportEvent(source, EventLogType(eventType), 0, static_cast<DWORD>(eventId), nullptr, 1, 0,
                     strings, nullptr);
  calls_.deregisterEventSource(source);
}

void WINAPI ServiceHost::ServiceMain(DWORD, LPWSTR*) {
  ServiceHost* self = instance_;
  if (self == nullptr) return;
  try {
    self->statusHandle_ = RegisterServiceCtrlHandlerExW(kServiceName, &ControlHandler, self);
    if (self->statusHandle_ == nullptr) return;
    self->OnServiceMain();
  } catch (...) {
    self->status_.Report(SERVICE_STOPPED, ERROR_EXCEPTION_IN_SERVICE);
  }
}

DWORD WINAPI ServiceHost::ControlHandler(DWORD control, DWORD, LPVOID, LPVOID context) {
  try {
    return static_cast<ServiceHost*>(context)->OnControl(control);
  } catch (...) {
    return ERROR_EXCEPTION_IN_SERVICE;
  }
}

void ServiceHost::OnServiceMain() {
  status_.Report(SERVICE_START_PENDING);
  if (Ask(Request::kStart)) {
    status_.Report(SERVICE_RUNNING);
  } else {
    status_.Report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
  }
}

DWORD ServiceHost::OnControl(DWORD control) {
  const DWORD state = status_.State();
  switch (control) {
    case SERVICE_CONTROL_SHUTDOWN:
      if ((acceptedControls_ & SERVICE_ACCEPT_SHUTDOWN) == 0) return ERROR_CALL_NOT_IMPLEMENTED;
      [[fallthrough]];
    case SERVICE_CONTROL_STOP:
      if (state == SERVICE_STOPPED || state == SERVICE_STOP_PENDING) return NO_ERROR;
      status_.Report(SERVICE_STOP_PENDING);
      // The user-interface thread raises the event, whose handler ends the process: STOPPED
      // comes with that end (ReportProcessEnd).
      if (!PostMessageW(window_, kRequestMessage, static_cast<WPARAM>(Request::kStop), 0)) {
        status_.Report(SERVICE_STOPPED);
      }
      return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE: {
      if ((acceptedControls_ & SERVICE_ACCEPT_PAUSE_CONTINUE) == 0) {
        return ERROR_CALL_NOT_IMPLEMENTED;
      }
      const bool pause = control == SERVICE_CONTROL_PAUSE;
      const DWORD from = pause ? SERVICE_RUNNING : SERVICE_PAUSED;
      const DWORD to = pause ? SERVICE_PAUSED : SERVICE_RUNNING;
      if (state != from) {
        status_.Repeat();
        return NO_ERROR;
      }
      status_.Report(pause ? SERVICE_PAUSE_PENDING : SERVICE_CONTINUE_PENDING);
      // A refused request leaves the service as it was.
      status_.Report(Ask(pause ? Request::kPause : Request::kContinue) ? to : from);
      return NO_ERROR;
    }
    case SERVICE_CONTROL_INTERROGATE:
      status_.Repeat();
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

bool ServiceHost::Ask(Request request) {
  std::lock_guard one(askLock_);
  std::lock_guard lock(lock_);
  if (closing_) return false;
  hasAnswer_ = false;
  if (!PostMessageW(window_, kRequestMessage, static_cast<WPARAM>(request), 0)) return false;
  while (!hasAnswer_ && !closing_) SleepConditionVariableSRW(&answered_, lock_.Get(), INFINITE, 0);
  return hasAnswer_ && answer_;
}

void ServiceHost::Answer(bool success) {
  {
    std::lock_guard lock(lock_);
    hasAnswer_ = true;
    answer_ = success;
  }
  WakeAllConditionVariable(&answered_);
}

void ServiceHost::OnRequest(Request request) {
  if (request == Request::kStop) {
    if (ServiceStopped) ServiceStopped();
    // A handler that did not end the process: stopped all the same, as the manager asked.
    status_.Report(SERVICE_STOPPED);
    return;
  }
  const auto& event = request == Request::kStart   ? ServiceStarted
                      : request == Request::kPause ? ServicePaused
                                                   : ServiceContinued;
  // Refused unless the handler says otherwise; a handler that fails keeps what it had set.
  bool success = false;
  try {
    if (event) event(success);
  } catch (...) {
    Answer(success);
    throw;
  }
  Answer(success);
}

LRESULT CALLBACK ServiceHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ServiceHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == kDispatchMessage) {
    self->StartDispatcher();
    return 0;
  }
  if (self != nullptr && message == kConsoleMessage) {
    try {
      if (self->ConsoleAnswered) self->ConsoleAnswered(static_cast<int>(wParam));
    } catch (...) {
      // As for the requests: the dispatcher has dealt with it.
    }
    return 0;
  }
  if (self == nullptr || message != kRequestMessage) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  const auto request = static_cast<Request>(wParam);
  if (request < Request::kStart || request > Request::kStop) return 0;
  try {
    self->OnRequest(request);
  } catch (...) {
    // The event dispatcher has applied the program's rule already; nothing crosses into the
    // system's code.
  }
  return 0;
}

bool ServiceHost::InSessionZero() {
  // Before Windows Vista the console user shares session 0 with the services.
  const DWORD version = GetVersion();
  if ((version & 0x80000000u) != 0 || LOBYTE(LOWORD(version)) < 6) return false;
  auto* sessionOf =
      LaterFunction<decltype(::ProcessIdToSessionId)>(L"kernel32.dll", "ProcessIdToSessionId");
  DWORD session = kNoSession;
  return sessionOf != nullptr && sessionOf(GetCurrentProcessId(), &session) && session == 0;
}

bool ServiceHost::SendConsoleMessage(const std::string& caption, const std::string& text,
                                     uint32_t timeoutSeconds, bool offerCancel) {
  const DWORD session = ActiveConsoleSession();
  if (session == kNoSession) return false;
  auto message = std::make_unique<ConsoleMessage>(
      ConsoleMessage{window_, session, Wide(caption), Wide(text), timeoutSeconds,
                     static_cast<DWORD>(offerCancel ? MB_OKCANCEL : MB_OK)});
  HANDLE thread = CreateThread(nullptr, 0, &SendAndWait, message.get(), 0, nullptr);
  if (thread == nullptr) return false;
  message.release();  // the thread's now
  CloseHandle(thread);
  return true;
}

bool ServiceHost::LogoffConsoleSession() {
  const DWORD session = ActiveConsoleSession();
  auto* logoff = LaterFunction<decltype(::WTSLogoffSession)>(L"wtsapi32.dll", "WTSLogoffSession");
  return session != kNoSession && logoff != nullptr &&
         logoff(WTS_CURRENT_SERVER_HANDLE, session, FALSE);
}

bool ServiceHost::DisconnectConsoleSession() {
  const DWORD session = ActiveConsoleSession();
  auto* disconnect =
      LaterFunction<decltype(::WTSDisconnectSession)>(L"wtsapi32.dll", "WTSDisconnectSession");
  return session != kNoSession && disconnect != nullptr &&
         disconnect(WTS_CURRENT_SERVER_HANDLE, session, FALSE);
}

std::string ServiceHost::WritableByUsers() {
  const std::wstring path = ModulePath();
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  // "C:" alone would name the drive's current folder, not its root.
  const std::wstring folder = path.substr(0, slash == 2 ? 3 : slash);
  const std::string file = WhyWritable(path, false);
  return file.empty() ? WhyWritable(folder, true) : file;
}

std::unique_ptr<ServiceControl> CreateServiceControl(HINSTANCE instance) {
  return std::make_unique<ServiceHost>(instance);
}

}  // namespace duskline::win32
