// A recording backend for tests, fuzzing and benchmarks: forms built from their layouts, timers
// on a clock that only the test moves, and every system, tray, service and INI call written as
// a line of text to the fake's log, in order. No logic beyond what the tests read.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/LayoutForm.h"
#include "platform/Platform.h"

namespace duskline::fakes {

// Thrown by FakeApp::End: nothing after the call runs, and no trap takes it.
struct ProgramEnded : std::runtime_error {
  ProgramEnded() : std::runtime_error("the program ended") {}
};

// Whether the call ends the program.
template <typename Call>
bool Ends(Call call) {
  try {
    call();
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

// The number of the run-time error the call raises, or 0.
template <typename Call>
int ErrorOf(Call call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.Number();
  }
  return 0;
}

class FakeApp : public App {
 public:
  std::string Path() const override { return "C:\\Duskline"; }
  std::string Title() const override { return "Vesperon"; }
  int Major() const override { return 1; }
  int Minor() const override { return 1; }
  int Revision() const override { return 0; }
  std::string CommandLine() const override { return commandLine; }
  [[noreturn]] void End() override { throw ProgramEnded(); }

  std::string commandLine;
};

class FakeTimer;

// Date and time moved by the test; due timers fire on the way, earliest first.
class FakeClock : public Clock {
 public:
  LocalTime Now() const override;
  int64_t Elapsed() const override { return elapsed; }
  void Advance(int64_t milliseconds);
  // The computer sleeps: the time moves on and no timer fires; each fires next on its beat.
  void Sleep(int64_t milliseconds);
  // The system's clock is set: the local time jumps, the timers keep their count.
  void Set(int64_t milliseconds) { offset += milliseconds; }

  LocalTime start{2024, 1, 1, 10, 0, 0};
  int64_t elapsed = 0;
  int64_t offset = 0;  // of the local time from the timers' count
  std::vector<FakeTimer*> timers;
};

class FakeTimer : public Timer {
 public:
  FakeTimer(FakeClock& clock, bool enabled, int interval);
  ~FakeTimer() override { std::erase(clock_.timers, this); }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;
  int Interval() const override { return interval_; }
  // As the system's timers: a new interval starts the count again.
  void SetInterval(int milliseconds) override;
  void SetSlack(int milliseconds) override { slack = milliseconds; }
  int64_t due = 0;
  int slack = 0;  // the fake's ticks come on time, whatever the slack

 private:
  FakeClock& clock_;
  bool enabled_;
  int interval_;
};

// Enabled and visible; `fail` makes their writes raise 438.
template <typename Base>
class FakeControl : public Base {
 public:
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = Checked(enabled); }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = Checked(visible); }
  bool fail = false;

 protected:
  bool Checked(bool value) const {
    if (fail) Raise(kErrPropertyMissing);
    return value;
  }

 private:
  bool enabled_ = true, visible_ = true;
};

class FakeTextBox : public FakeControl<TextBox> {
 public:
  explicit FakeTextBox(std::string text) : text(std::move(text)) {}
  std::string Text() const override { return text; }
  void SetText(const std::string& value) override {
    if (!Checked(value != text)) return;
    text = value;
    if (Change) Change();
  }
  std::string text;
};

class FakeList : public FakeControl<DropDownList> {
 public:
  explicit FakeList(std::vector<std::string> items) : items(std::move(items)) {}
  int ListCount() const override { return static_cast<int>(items.size()); }
  std::string List(int index) const override { return items.at(index); }
  int16_t ListIndex() const override { return index; }
  void SetListIndex(int value) override;
  std::vector<std::string> items;
  int16_t index = -1;
};

class FakeToggle : public FakeControl<Toggle> {
 public:
  explicit FakeToggle(bool value) : value(value) {}
  bool Value() const override { return value; }
  void SetValue(bool pressed) override {
    if (!Checked(pressed != value)) return;
    value = pressed;
    if (Click) Click();
  }
  bool value;
};

class FakeLabel : public FakeControl<Label> {
 public:
  explicit FakeLabel(std::string caption) : caption(std::move(caption)) {}
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& value) override { caption = value; }
  std::string caption;
};

class FakeWindowSystem;

class FakeForm : public LayoutForm {
 public:
  FakeForm(FakeWindowSystem& system, const FormLayout& layout, WindowHandle handle);
  ~FakeForm() override;
  const FormLayout& Layout() const override { return layout_; }
  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  void Minimize() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  WindowHandle Handle() const override { return handle_; }
  void Announce(const Announcement& said) override {
    announced.push_back((said.appearing ? "! " : "") + said.text);
  }
  FakeTextBox& Text(const std::string& name) {
    return dynamic_cast<FakeTextBox&>(ControlNamed(name));
  }
  FakeList& List(const std::string& name) { return dynamic_cast<FakeList&>(ControlNamed(name)); }
  FakeTimer& FakeTimerNamed(const std::string& name) { return *timers_.at(name); }
  // A user's click: a toggle flips, the control's event runs, then the unloads it asked for.
  void ClickOn(const std::string& name, int index = -1);
  bool unloaded = false;
  std::vector<std::string> announced;  // "! " before the text of an appearing alert

 private:
  FakeWindowSystem& system_;
  FormLayout layout_;
  WindowHandle handle_;
  bool visible_ = false;
  std::map<std::pair<std::string, int>, std::unique_ptr<Control>> controls_;
  std::map<std::string, std::unique_ptr<FakeTimer>> timers_;

  Control* FindControl(const std::string& name, int index, ControlKind& kind) const override;
  Timer* FindTimer(const std::string& name) const override;
};

class FakeWindowSystem : public WindowSystem {
 public:
  explicit FakeWindowSystem(FakeClock& clock) : clock(clock) {}
  std::unique_ptr<Form> CreateForm(const FormLayout& layout) override;
  void DestroyLater(std::unique_ptr<Form> form) override;
  void MessageBox(const std::string& text, const std::string& caption) override {
    boxes.push_back(caption + ": " + text);
  }
  // The loaded, not unloaded form of that name, or nullptr.
  FakeForm* Find(const std::string& name) const;
  void RunPending() { pending.clear(); }

  FakeClock& clock;
  std::vector<FakeForm*> live;
  std::vector<std::unique_ptr<Form>> pending;
  std::vector<std::string> boxes;  // "caption: text"
};

// The Windows functions. Each call is logged with its arguments; a code in errorAfter becomes
// the last-error code after the call of that name, and a name in refused makes it return false.
class FakeSystemApi : public SystemApi {
 public:
  uint32_t GetVersion() override { return version; }
  void SetLastError(uint32_t code) override { lastError = code; }
  uint32_t GetLastError() override { return lastError; }
  std::string ErrorText(uint32_t code) override {
    return code == 0 ? "" : "error " + std::to_string(code);
  }
  std::intptr_t GetCurrentProcess() override { return Log("GetCurrentProcess") ? -1 : 0; }
  bool OpenProcessToken(std::intptr_t process, uint32_t access, std::intptr_t* token) override {
    *token = 44;
    return Log("OpenProcessToken", process, access);
  }
  bool LookupPrivilegeValueA(const std::string& system, const std::string& name,
                             uint64_t* luid) override {
    *luid = 19;
    return Log("LookupPrivilegeValueA", "'" + system + "'", name);
  }
  bool AdjustTokenPrivileges(std::intptr_t token, bool disableAll, const TokenPrivileges& s,
                             uint32_t length, TokenPrivileges* previous,
                             uint32_t* returned) override {
    return Log("AdjustTokenPrivileges", token, disableAll, s.privilegeCount, s.luid, s.attributes,
               length, previous && returned);
  }
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override {
    return Log("ExitWindowsEx", flags, reserved);
  }
  bool SetSuspendState(bool hibernate, bool force, bool wakeupEventsDisabled) override {
    return Log("SetSuspendState", hibernate, force, wakeupEventsDisabled);
  }
  bool IsPwrHibernateAllowed() override { return Log("IsPwrHibernateAllowed"); }
  bool LockWorkStation() override { return Log("LockWorkStation"); }
  bool SetWindowPos(WindowHandle window, std::intptr_t after, int x, int y, int cx, int cy,
                    uint32_t flags) override {
    return Log("SetWindowPos", window, after, x + y + cx + cy, flags);
  }

  uint32_t version = 0x1DB10106;  // Windows NT: bit 31 clear
  uint32_t lastError = 0;
  std::map<std::string, uint32_t> errorAfter;
  std::set<std::string> refused;
  std::vector<std::string> log;

 private:
  // "Name arg arg ...", each number in decimal.
  template <typename... Args>
  bool Log(const std::string& name, const Args&... args) {
    std::ostringstream entry;
    entry << name;
    ((entry << " " << args), ...);
    log.push_back(entry.str());
    if (auto it = errorAfter.find(name); it != errorAfter.end()) lastError = it->second;
    return !refused.contains(name);
  }
};

class FakeTray : public TrayIcon {
 public:
  void SetAnimationInterval(int16_t ms) override { Log("Interval " + std::to_string(ms)); }
  void SetIconCode(int32_t code) override { Log("Icon " + std::to_string(code)); }
  void SetTipText(const std::string& text) override { Log("Tip " + text); }
  void SetAnimationMode(int16_t mode) override { Log("Mode " + std::to_string(mode)); }
  bool Animating() const override { return animating; }
  void RemoveIcon() override { Log("Remove"); }
  void ToggleAnimation() override {
    Log("Toggle");
    animating = !animating;
  }
  void AddIcon() override { Log("Add"); }
  bool Available() const override { return true; }
  void ShowNotification(const std::string& title, const std::string& text) override {
    Log("Notify " + title + ": " + text);
  }

  bool animating = false;
  bool fail = false;  // every call raises 438
  std::vector<std::string> log;

 private:
  void Log(const std::string& entry) {
    if (fail) Raise(kErrPropertyMissing);
    log.push_back(entry);
  }
};

class FakeService : public ServiceControl {
 public:
  std::string ServiceDisplayName() const override { return "Duskline Service"; }
  bool DesktopInteraction() const override { return desktop; }
  void SetDesktopInteraction(bool value) override { desktop = Log("Desktop", value); }
  void SetDebugMode(bool value) override { Log("Debug", value); }
  void SetAcceptedRequests(int32_t value) override { Log("Accept " + std::to_string(value)); }
  bool InstallService() override { return Log("Install") && result; }
  bool UninstallService() override { return Log("Uninstall") && result; }
  void StoreParameter(const std::string& section, const std::string& key,
                      const std::string& value) override {
    Log("Store " + section + " " + key + "=" + value);
  }
  void RunService() override { Log("Run"); }
  void WriteEventLogEntry(int16_t type, int32_t id, const std::string& text) override {
    Log("Event " + std::to_string(type) + " " + std::to_string(id) + " " + text);
  }
  // The questions are not logged; the console calls are, and report `console`.
  bool InSessionZero() override { return sessionZero; }
  bool SendConsoleMessage(const std::string& caption, const std::string& text, uint32_t seconds,
                          bool offerCancel) override {
    return Log("Message " + caption + ": " + text + " " + std::to_string(seconds) +
               (offerCancel ? " OK Cancel" : " OK")) &&
           console;
  }
  bool LogoffConsoleSession() override { return Log("Logoff") && console; }
  bool DisconnectConsoleSession() override { return Log("Disconnect") && console; }
  std::string WritableByUsers() override { return writable; }

  bool desktop = false;
  bool result = true;  // of install and uninstall
  bool sessionZero = false;
  bool console = true;
  std::string writable;
  std::vector<std::string> log;

 private:
  bool Log(const std::string& entry, std::optional<bool> value = {}) {
    log.push_back(value ? entry + " " + std::to_string(*value) : entry);
    return value.value_or(true);
  }
};

// INI entries in memory, keyed "file [section] key". Writes are logged as
// "file [section] key=value", "file [section] key" (removal) or "file [section]".
class FakeIni : public IniFunctions {
 public:
  uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, char* buffer, uint32_t size,
                                   const std::string& fileName) override;
  bool WritePrivateProfileString(const std::string& section, const std::optional<std::string>& key,
                                 const std::optional<std::string>& value,
                                 const std::string& fileName) override;

  std::map<std::string, std::string> entries;
  std::vector<std::string> log;
};

// Policy values in memory. Where names a value "HKLM\\Code" or "HKCU\\Code"; Set and Remove
// raise Changed as a store's watch would.
class FakePolicyStore : public PolicyStore {
 public:
  PolicyValue Read(PolicyScope scope, const std::string& name) const override {
    auto it = values.find({scope, name});
    return it == values.end() ? PolicyValue{} : it->second;
  }
  std::string Where(PolicyScope scope, const std::string& name) const override {
    return (scope == PolicyScope::Machine ? "HKLM\\" : "HKCU\\") + name;
  }
  void Set(PolicyScope scope, const std::string& name, PolicyValue value) {
    values[{scope, name}] = std::move(value);
    if (Changed) Changed();
  }
  void Remove(PolicyScope scope, const std::string& name) {
    values.erase({scope, name});
    if (Changed) Changed();
  }
  static PolicyValue Text(std::string text) { return {PolicyValue::Kind::Text, std::move(text)}; }
  static PolicyValue Number(uint32_t n) { return {PolicyValue::Kind::Number, {}, n}; }

  std::map<std::pair<PolicyScope, std::string>, PolicyValue> values;
};

// Idle time on the fake clock since `lastInput`, its count at the last input.
struct FakeIdle : IdleSource {
  explicit FakeIdle(FakeClock& clock) : clock(clock) {}
  std::optional<int64_t> IdleMilliseconds() override { return ++asked, clock.elapsed - lastInput; }
  void Input() { lastInput = clock.elapsed; }
  FakeClock& clock;
  int64_t lastInput = 0;
  int asked = 0;
};

// Running programs by name; End raises Ended as a watch of that name would.
struct FakeProcessWatch : ProcessWatch {
  std::vector<std::string> Running() override { return {running.begin(), running.end()}; }
  bool Watch(const std::string& name) override {
    return !(watched = running.contains(name) ? name : "").empty();
  }
  void Cancel() override { watched.clear(); }
  void End(const std::string& name) {
    running.erase(name);
    if (watched == name && Ended) Ended();
  }
  std::set<std::string> running;
  std::string watched;
};

// Everything a form reaches, wired together. An error no handler traps is recorded, reported
// in the standard message box and ends the program.
struct FakePlatform {
  FakePlatform();
  FakeApp app;
  FakeClock clock;
  FakeWindowSystem windows{clock};
  FakeIni ini;
  FakeSystemApi api;
  FakeTray tray;
  FakeService service;
  EventDispatcher events;
  FakePolicyStore policy;
  FakeIdle idle{clock};
  FakeProcessWatch processes;
  Platform platform{app, windows, clock, ini, api, tray, service, events, policy, idle, processes};
};

}  // namespace duskline::fakes
