#include "platform/win32/System_win.h"

#include <powrprof.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/ServiceControl_win.h"
#include "platform/win32/Text_win.h"

namespace duskline::win32 {
namespace {

std::wstring ModulePath(HINSTANCE instance) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The folder as ANSI text for the INI functions; a folder whose name the code page cannot
// spell is given by its short name, which always can.
std::string AnsiFolder(const std::wstring& folder) {
  if (FitsCodePage(folder)) return Narrow(folder);
  std::wstring shortName(MAX_PATH, L'\0');
  const DWORD length =
      GetShortPathNameW(folder.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
  if (length == 0 || length >= shortName.size()) return Narrow(folder);
  shortName.resize(length);
  return Narrow(shortName);
}

struct FileVersion {
  int major = 0, minor = 0, revision = 0;
};

// The fixed part of the module's own version resource, found by its signature.
FileVersion ReadFileVersion(HINSTANCE instance) {
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(1), RT_VERSION);
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  const auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (data == nullptr) return {};
  const DWORD size = SizeofResource(instance, resource);
  for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
    VS_FIXEDFILEINFO info;
    memcpy(&info, data + at, sizeof info);
    if (info.dwSignature == VS_FFI_SIGNATURE)
      return {HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
              HIWORD(info.dwFileVersionLS)};
  }
  return {};
}

}  // namespace

std::wstring FolderOf(const std::wstring& modulePath) {
  const size_t slash = modulePath.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return modulePath;
  std::wstring folder = modulePath.substr(0, slash);
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

std::wstring ArgumentsOf(const std::wstring& commandLine) {
  size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const size_t close = commandLine.find(L'"', 1);
    at = close == std::wstring::npos ? commandLine.size() : close + 1;
  } else {
    while (at < commandLine.size() && commandLine[at] != L' ' && commandLine[at] != L'\t') ++at;
  }
  while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
  return commandLine.substr(at);
}

Win32App::Win32App(HINSTANCE instance) {
  const std::wstring module = ModulePath(instance);
  path_ = AnsiFolder(FolderOf(module));
  commandLine_ = Narrow(ArgumentsOf(GetCommandLineW()));
  const FileVersion version = ReadFileVersion(instance);
  major_ = version.major;
  minor_ = version.minor;
  revision_ = version.revision;
}

std::vector<std::string> Win32App::UserLanguages() const {
  // The language of the user's interface, by its ISO 639 name ("de"; "qps" for the
  // pseudo-locale qps-ploc).
  wchar_t name[16] = L"";
  const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, name, 16) == 0) return {};
  return {Narrow(name)};
}

void Win32App::End() {
  ServiceHost::ReportProcessEnd();
  ExitProcess(0);
}

LocalTime Win32Clock::Now() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

uint32_t Win32SystemApi::GetVersion() {
  return ::GetVersion();
}

void Win32SystemApi::SetLastError(uint32_t code) {
  ::SetLastError(code);
}

uint32_t Win32SystemApi::GetLastError() {
  return ::GetLastError();
}

std::string Win32SystemApi::ErrorText(uint32_t code) {
  wchar_t text[512];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text / sizeof *text, nullptr);
  std::wstring message(text, length);
  // The system's texts end in a line break.
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
    message.pop_back();
  return Narrow(message);
}

std::intptr_t Win32SystemApi::GetCurrentProcess() {
  return reinterpret_cast<std::intptr_t>(::GetCurrentProcess());
}

bool Win32SystemApi::OpenProcessToken(std::intptr_t process, uint32_t desiredAccess,
                                      std::intptr_t* token) {
  HANDLE handle = nullptr;
  const BOOL ok = ::OpenProcessToken(reinterpret_cast<HANDLE>(process), desiredAccess, &handle);
  if (token) *token = reinterpret_cast<std::intptr_t>(handle);
  return ok != FALSE;
}

bool Win32SystemApi::LookupPrivilegeValueA(const std::string& systemName,
                                           const std::string& privilegeName, uint64_t* luid) {
  LUID value{};
  const BOOL ok = ::LookupPrivilegeValueA(systemName.c_str(), privilegeName.c_str(), &value);
  if (luid)
    *luid = (static_cast<uint64_t>(static_cast<uint32_t>(value.HighPart)) << 32) | value.LowPart;
  return ok != FALSE;
}

bool Win32SystemApi::AdjustTokenPrivileges(std::intptr_t token, bool disableAll,
                                           const TokenPrivileges& newState, uint32_t bufferLength,
                                           TokenPrivileges* previousState, uint32_t* returnLength) {
  // Our record keeps the identifier 8-byte aligned; the system's packs it into 16 bytes.
  TOKEN_PRIVILEGES state{};
  state.PrivilegeCount = std::min<uint32_t>(newState.privilegeCount, 1);
  state.Privileges[0].Luid.LowPart = static_cast<DWORD>(newState.luid);
  state.Privileges[0].Luid.HighPart = static_cast<LONG>(newState.luid >> 32);
  state.Privileges[0].Attributes = newState.attributes;
  // The system writes no more than our one-entry record holds, whatever length is claimed.
  TOKEN_PRIVILEGES previous{};
  const DWORD length = previousState ? std::min<DWORD>(bufferLength, sizeof previous) : 0;
  DWORD returned = 0;
  const BOOL ok = ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), disableAll, &state,
                                          length, previousState ? &previous : nullptr, &returned);
  const DWORD lastError = ::GetLastError();
  if (previousState) {
    previousState->privilegeCount = previous.PrivilegeCount;
    previousState->luid =
        (static_cast<uint64_t>(static_cast<uint32_t>(previous.Privileges[0].Luid.HighPart)) << 32) |
        previous.Privileges[0].Luid.LowPart;
    previousState->attributes = previous.Privileges[0].Attributes;
  }
  if (returnLength) *returnLength = returned;
  ::SetLastError(lastError);  // callers judge the call by it
  return ok != FALSE;
}

bool Win32SystemApi::ExitWindowsEx(uint32_t flags, uint32_t reserved) {
  return ::ExitWindowsEx(flags, reserved) != FALSE;
}

// powrprof.dll is looked up, not linked: a program that never sleeps the computer never
// loads it.
bool Win32SystemApi::SetSuspendState(bool hibernate, bool force, bool wakeupEventsDisabled) {
  auto* suspend = LaterFunction<decltype(::SetSuspendState)>(L"powrprof.dll", "SetSuspendState");
  return suspend != nullptr && suspend(hibernate, force, wakeupEventsDisabled);
}

bool Win32SystemApi::IsPwrHibernateAllowed() {
  auto* allowed =
      LaterFunction<decltype(::IsPwrHibernateAllowed)>(L"powrprof.dll", "IsPwrHibernateAllowed");
  return allowed != nullptr && allowed();
}

bool Win32SystemApi::LockWorkStation() {
  return ::LockWorkStation() != FALSE;
}

bool Win32SystemApi::SetWindowPos(WindowHandle window, std::intptr_t insertAfter, int x, int y,
                                  int cx, int cy, uint32_t flags) {
  return ::SetWindowPos(reinterpret_cast<HWND>(window), reinterpret_cast<HWND>(insertAfter), x, y,
                        cx, cy, flags) != FALSE;
}

}  // namespace duskline::win32
