#include "platform/test/FakeSystem.h"

#include <algorithm>
#include <cstring>

namespace duskline::fakes {

void FakeApp::End() {
  ++ends;
  throw ProgramEnded();
}

// ---- Windows functions ----

void FakeSystemApi::Record(const std::string& call, const std::string& name) {
  calls.push_back(call);
  failures.Check(name);
  auto it = errorAfter.find(name);
  if (it != errorAfter.end()) lastError = it->second;
}

uint32_t FakeSystemApi::GetVersion() {
  Record("GetVersion", "GetVersion");
  return version;
}

void FakeSystemApi::SetLastError(uint32_t code) {
  lastError = code;
  Record("SetLastError " + std::to_string(code), "SetLastError");
}

uint32_t FakeSystemApi::GetLastError() {
  calls.push_back("GetLastError");
  failures.Check("GetLastError");
  return lastError;
}

std::intptr_t FakeSystemApi::GetCurrentProcess() {
  Record("GetCurrentProcess", "GetCurrentProcess");
  return kProcess;
}

bool FakeSystemApi::OpenProcessToken(std::intptr_t process, uint32_t desiredAccess,
                                     std::intptr_t* token) {
  Record("OpenProcessToken " + std::to_string(process) + " " + std::to_string(desiredAccess),
         "OpenProcessToken");
  if (refused.count("OpenProcessToken")) return false;
  *token = kToken;
  return true;
}

bool FakeSystemApi::LookupPrivilegeValueA(const std::string& systemName,
                                          const std::string& privilegeName, uint64_t* luid) {
  Record("LookupPrivilegeValueA '" + systemName + "' " + privilegeName, "LookupPrivilegeValueA");
  if (refused.count("LookupPrivilegeValueA")) return false;
  *luid = kShutdownLuid;
  return true;
}

bool FakeSystemApi::AdjustTokenPrivileges(std::intptr_t token, bool disableAll,
                                          const TokenPrivileges& newState, uint32_t bufferLength,
                                          TokenPrivileges* previousState, uint32_t* returnLength) {
  Record("AdjustTokenPrivileges " + std::to_string(token) + " " + std::to_string(disableAll) +
             " {" + std::to_string(newState.privilegeCount) + " " + std::to_string(newState.luid) +
             " " + std::to_string(newState.attributes) + "} " + std::to_string(bufferLength) +
             (previousState ? " prev" : " null") + (returnLength ? " len" : " null"),
         "AdjustTokenPrivileges");
  if (refused.count("AdjustTokenPrivileges")) return false;
  if (previousState) *previousState = TokenPrivileges{1, kShutdownLuid, 0};
  if (returnLength) *returnLength = 16;
  return true;
}

bool FakeSystemApi::ExitWindowsEx(uint32_t flags, uint32_t reserved) {
  Record("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reserved),
         "ExitWindowsEx");
  exits.push_back({flags, reserved});
  return refused.count("ExitWindowsEx") == 0;
}

bool FakeSystemApi::SetWindowPos(WindowHandle window, std::intptr_t insertAfter, int x, int y,
                                 int cx, int cy, uint32_t flags) {
  Record("SetWindowPos " + std::to_string(window) + " " + std::to_string(insertAfter) + " " +
             std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(cx) + " " +
             std::to_string(cy) + " " + std::to_string(flags),
         "SetWindowPos");
  if (refused.count("SetWindowPos")) return false;
  zOrder[window] = insertAfter;
  return true;
}

// ---- tray icon ----

void FakeTray::Record(const std::string& entry) {
  std::string name = entry.substr(0, entry.find('='));
  failures.Check(name);
  log.push_back(entry);
}

void FakeTray::SetAnimationInterval(int16_t milliseconds) {
  Record("AnimationInterval=" + std::to_string(milliseconds));
  animationInterval = milliseconds;
}

void FakeTray::SetIconCode(int32_t code) {
  Record("IconCode=" + std::to_string(code));
  iconCode = code;
}

void FakeTray::SetTipText(const std::string& text) {
  Record("TipText=" + text);
  tipText = text;
}

void FakeTray::SetAnimationMode(int16_t mode) {
  Record("AnimationMode=" + std::to_string(mode));
  animationMode = mode;
}

bool FakeTray::Animating() const {
  failures.Check("Animating");
  return animating;
}

void FakeTray::RemoveIcon() {
  Record("RemoveIcon");
  shown = false;
}

void FakeTray::ToggleAnimation() {
  Record("ToggleAnimation");
  animating = !animating;
}

void FakeTray::AddIcon() {
  Record("AddIcon");
  shown = true;
}

void FakeTray::Activate() {
  Handler activate = IconActivate;
  if (shown && activate) activate();
}

// ---- service control ----

void FakeService::Record(const std::string& entry) const {
  failures.Check(entry.substr(0, entry.find('=')));
  log.push_back(entry);
}

std::string FakeService::ServiceDisplayName() const {
  Record("ServiceDisplayName");
  return displayName;
}

bool FakeService::DesktopInteraction() const {
  Record("DesktopInteraction");
  return desktopInteraction;
}

void FakeService::SetDesktopInteraction(bool value) {
  Record("DesktopInteraction=" + std::to_string(value));
  desktopInteraction = value;
}

void FakeService::SetDebugMode(bool value) {
  Record("DebugMode=" + std::to_string(value));
  debugMode = value;
}

void FakeService::SetAcceptedRequests(int32_t requests) {
  Record("AcceptedRequests=" + std::to_string(requests));
  acceptedRequests = requests;
}

bool FakeService::InstallService() {
  Record("InstallService");
  return installResult;
}

bool FakeService::UninstallService() {
  Record("UninstallService");
  return uninstallResult;
}

void FakeService::StoreParameter(const std::string& section, const std::string& key,
                                 const std::string& value) {
  Record("StoreParameter=" + section + "," + key + "," + value);
}

void FakeService::RunService() {
  Record("RunService");
}

void FakeService::WriteEventLogEntry(int16_t eventType, int32_t eventId, const std::string& text) {
  Record("WriteEventLogEntry=" + std::to_string(eventType) + "," + std::to_string(eventId) + "," +
         text);
  entries.push_back({eventType, eventId, text});
}

bool FakeService::Start(bool flag) {
  if (ServiceStarted) ServiceStarted(flag);
  return flag;
}

bool FakeService::Pause(bool flag) {
  if (ServicePaused) ServicePaused(flag);
  return flag;
}

bool FakeService::Continue(bool flag) {
  if (ServiceContinued) ServiceContinued(flag);
  return flag;
}

void FakeService::Stop() {
  if (ServiceStopped) ServiceStopped();
}

// ---- INI functions ----

uint32_t FakeIni::GetPrivateProfileString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue, char* buffer,
                                          uint32_t size, const std::string& fileName) {
  ++reads;
  std::optional<std::string> stored;
  if (!readsFail) stored = Value(fileName, section, key);
  std::string value = stored.value_or(defaultValue);
  if (size == 0) return 0;
  uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(value.size()), size - 1);
  std::memcpy(buffer, value.data(), count);
  buffer[count] = '\0';
  return count;
}

bool FakeIni::WritePrivateProfileString(const std::string& section,
                                        const std::optional<std::string>& key,
                                        const std::optional<std::string>& value,
                                        const std::string& fileName) {
  writes.push_back({fileName, section, key, value});
  if (writesFail) return false;
  if (!key) {
    files[fileName].erase(section);
  } else if (!value) {
    files[fileName][section].erase(*key);
  } else {
    files[fileName][section][*key] = *value;
  }
  return true;
}

std::optional<std::string> FakeIni::Value(const std::string& file, const std::string& section,
                                          const std::string& key) const {
  auto f = files.find(file);
  if (f == files.end()) return std::nullopt;
  auto s = f->second.find(section);
  if (s == f->second.end()) return std::nullopt;
  auto k = s->second.find(key);
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

}  // namespace duskline::fakes
