#include "platform/win32/Triggers_win.h"

#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "platform/win32/Text_win.h"

namespace duskline::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"DusklineProcessWaiter";

// WTSSessionInfoEx and its level-1 record, which MinGW's headers lack.
constexpr int kWtsSessionInfoEx = 25;
struct SessionInfoLevel1 {
  ULONG sessionId;
  WTS_CONNECTSTATE_CLASS sessionState;
  LONG sessionFlags;
  WCHAR winStationName[WINSTATIONNAME_LENGTH + 1];
  WCHAR userName[USERNAME_LENGTH + 1];
  WCHAR domainName[DOMAIN_LENGTH + 1];
  LARGE_INTEGER logonTime;
  LARGE_INTEGER connectTime;
  LARGE_INTEGER disconnectTime;
  LARGE_INTEGER lastInputTime;
  LARGE_INTEGER currentTime;
};
struct SessionInfoEx {
  DWORD level;
  SessionInfoLevel1 level1;
};

// From session 0 the last input of the console session, in 100 ns steps of the system time.
std::optional<int64_t> ConsoleIdle() {
  using Query = decltype(::WTSQuerySessionInformationW);
  using Free = decltype(::WTSFreeMemory);
  using Console = decltype(::WTSGetActiveConsoleSessionId);
  static Query* query = LaterFunction<Query>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
  static Free* release = LaterFunction<Free>(L"wtsapi32.dll", "WTSFreeMemory");
  static Console* console = LaterFunction<Console>(L"kernel32.dll", "WTSGetActiveConsoleSessionId");
  if (!query || !release || !console) return std::nullopt;
  LPWSTR buffer = nullptr;
  DWORD size = 0;
  if (!query(WTS_CURRENT_SERVER_HANDLE, console(), static_cast<WTS_INFO_CLASS>(kWtsSessionInfoEx),
             &buffer, &size))
    return std::nullopt;
  std::optional<int64_t> idle;
  const auto* info = reinterpret_cast<const SessionInfoEx*>(buffer);
  if (size >= sizeof(SessionInfoEx) && info->level == 1 && info->level1.lastInputTime.QuadPart > 0)
    idle = std::max<int64_t>(
        0, (info->level1.currentTime.QuadPart - info->level1.lastInputTime.QuadPart) / 10000);
  release(buffer);
  return idle;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// "notepad" names notepad.exe too.
bool SameProgram(const std::wstring& running, const std::wstring& name) {
  const std::wstring a = Lower(running), b = Lower(name);
  return a == b || a == b + L".exe";
}

template <typename Visit>
void EachProcess(Visit visit) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    visit(entry);
  CloseHandle(snapshot);
}

}  // namespace

std::optional<int64_t> LastInput::IdleMilliseconds() {
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) return ConsoleIdle();
  LASTINPUTINFO info{};
  info.cbSize = sizeof info;
  if (!GetLastInputInfo(&info)) return std::nullopt;
  // Both counts wrap after 49 days; their difference does not.
  return static_cast<DWORD>(GetTickCount() - info.dwTime);
}

ProcessWaiter::ProcessWaiter(HINSTANCE instance) {
  window_ =
      CreateOwnedWindow(instance, kWindowClass, &ProcessWaiter::WindowProc, this, 0, HWND_MESSAGE);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

ProcessWaiter::~ProcessWaiter() {
  Cancel();
  if (stop_ != nullptr) CloseHandle(stop_);
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

std::vector<std::string> ProcessWaiter::Running() {
  std::set<std::string> names;
  const DWORD self = GetCurrentProcessId();
  EachProcess([&](const PROCESSENTRY32W& entry) {
    if (entry.th32ProcessID != self && entry.th32ProcessID != 0)
      names.insert(Narrow(entry.szExeFile));
  });
  return {names.begin(), names.end()};
}

bool ProcessWaiter::Watch(const std::string& name) {
  Cancel();
  const std::wstring wanted = Wide(name);
  EachProcess([&](const PROCESSENTRY32W& entry) {
    if (processes_.size() >= MAXIMUM_WAIT_OBJECTS - 1 || !SameProgram(entry.szExeFile, wanted))
      return;
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID))
      processes_.push_back(process);
  });
  if (processes_.empty() || window_ == nullptr || stop_ == nullptr) {
    Cancel();
    return false;
  }
  ResetEvent(stop_);
  ++watch_;
  waiter_ = CreateThread(nullptr, 64 * 1024, &ProcessWaiter::Wait, this,
                         STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  return waiter_ != nullptr;
}

void ProcessWaiter::Cancel() {
  if (waiter_ != nullptr) {
    SetEvent(stop_);
    WaitForSingleObject(waiter_, INFINITE);
    CloseHandle(waiter_);
    waiter_ = nullptr;
  }
  for (HANDLE process : processes_) CloseHandle(process);
  processes_.clear();
}

// Waits for each instance in turn until none is left; the stop event ends the wait early.
DWORD WINAPI ProcessWaiter::Wait(LPVOID parameter) {
  auto* self = static_cast<ProcessWaiter*>(parameter);
  std::vector<HANDLE> waits{self->stop_};
  waits.insert(waits.end(), self->processes_.begin(), self->processes_.end());
  while (waits.size() > 1) {
    const DWORD result =
        WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, INFINITE);
    if (result <= WAIT_OBJECT_0 || result >= WAIT_OBJECT_0 + waits.size()) return 0;
    waits.erase(waits.begin() + (result - WAIT_OBJECT_0));
  }
  PostMessageW(self->window_, kEndedMessage, self->watch_, 0);
  return 0;
}

LRESULT CALLBACK ProcessWaiter::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* self = WindowOwner<ProcessWaiter>(window, message, lParam);
  if (message == kEndedMessage && self != nullptr && wParam == self->watch_ && self->Ended)
    self->Ended();
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace duskline::win32
