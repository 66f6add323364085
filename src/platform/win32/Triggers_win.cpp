#include "platform/win32/Triggers_win.h"

#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "platform/win32/Text_win.h"
#include "platform/win32/WindowSystem_win.h"

namespace duskline::win32 {

namespace {

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
    if (!SameProgram(entry.szExeFile, wanted)) return;
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID))
      processes_.push_back(process);
  });
  if (processes_.empty()) return false;
  WaitForNext();
  return !processes_.empty();
}

void ProcessWaiter::Cancel() {
  if (!processes_.empty()) loop_.StopWaitingFor(processes_.back());
  for (HANDLE process : processes_) CloseHandle(process);
  processes_.clear();
}

// One instance at a time, so that the loop waits on one handle however many run; one that
// ended meanwhile is signalled at once.
void ProcessWaiter::WaitForNext() {
  if (processes_.empty()) {
    if (Ended) Ended();
    return;
  }
  if (!loop_.WaitFor(processes_.back(), [this] {
        CloseHandle(processes_.back());
        processes_.pop_back();
        WaitForNext();
      }))
    Cancel();
}

}  // namespace duskline::win32
