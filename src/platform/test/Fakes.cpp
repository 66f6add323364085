#include "platform/test/Fakes.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace duskline::fakes {

LocalTime FakeClock::Now() const {
  using namespace std::chrono;
  LocalTime t = start;
  const auto moment = sys_days{year{t.year} / t.month / t.day} + hours{t.hour} + minutes{t.minute} +
                      seconds{t.second} + milliseconds{t.millisecond + elapsed + offset};
  const auto day = floor<days>(moment);  // also for a clock set back before the start
  const year_month_day date{day};
  const hh_mm_ss time{moment - day};
  t.year = static_cast<int>(date.year());
  t.month = static_cast<int>(static_cast<unsigned>(date.month()));
  t.day = static_cast<int>(static_cast<unsigned>(date.day()));
  t.hour = static_cast<int>(time.hours().count());
  t.minute = static_cast<int>(time.minutes().count());
  t.second = static_cast<int>(time.seconds().count());
  t.millisecond = static_cast<int>(time.subseconds().count());
  return t;
}

void FakeClock::Sleep(int64_t milliseconds) {
  elapsed += milliseconds;
  for (FakeTimer* timer : timers)
    if (timer->Interval() > 0 && timer->due < elapsed)  // a beat at the waking still comes
      timer->due +=
          (elapsed - timer->due + timer->Interval() - 1) / timer->Interval() * timer->Interval();
}

void FakeClock::Advance(int64_t milliseconds) {
  const int64_t target = elapsed + milliseconds;
  for (;;) {
    FakeTimer* next = nullptr;
    for (FakeTimer* timer : timers)
      if (timer->Enabled() && timer->Interval() > 0 && timer->due <= target &&
          (!next || timer->due < next->due))
        next = timer;
    if (!next) break;
    elapsed = next->due;
    next->due += next->Interval();
    Handler tick = next->Tick;
    if (tick) tick();
  }
  elapsed = target;
}

FakeTimer::FakeTimer(FakeClock& clock, bool enabled, int interval)
    : due(clock.elapsed + interval), clock_(clock), enabled_(enabled), interval_(interval) {
  clock_.timers.push_back(this);
}

void FakeTimer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due = clock_.elapsed + interval_;
  enabled_ = enabled;
}

void FakeTimer::SetInterval(int milliseconds) {
  if (milliseconds < 0 || milliseconds > 65535) Raise(kErrInvalidPropertyValue);  // as the real
  interval_ = milliseconds;
  due = clock_.elapsed + milliseconds;
}

void FakeList::SetListIndex(int value) {
  Checked(true);
  if (value < -1 || value >= ListCount()) Raise(kErrInvalidPropertyValue);
  if (value == index) return;
  index = static_cast<int16_t>(value);
  if (Click) Click();
}

FakeForm::FakeForm(FakeWindowSystem& system, const FormLayout& layout, WindowHandle handle)
    : system_(system), layout_(layout), handle_(handle) {
  for (const ControlLayout& c : layout_.controls) {
    std::unique_ptr<Control>& control = controls_[{c.name, c.index}];
    if (c.kind == ControlKind::TextBox) control = std::make_unique<FakeTextBox>(c.text);
    if (c.kind == ControlKind::DropDownList) control = std::make_unique<FakeList>(c.items);
    if (c.kind == ControlKind::Label) control = std::make_unique<FakeLabel>(c.text);
    if (c.kind == ControlKind::Toggle) control = std::make_unique<FakeToggle>(c.pressed);
    if (c.kind == ControlKind::Frame || c.kind == ControlKind::Button ||
        c.kind == ControlKind::Image)
      control = std::make_unique<FakeControl<Control>>();
    if (c.kind == ControlKind::Timer)
      timers_[c.name] = std::make_unique<FakeTimer>(system_.clock, c.enabled, c.interval);
  }
  system_.live.push_back(this);
}

FakeForm::~FakeForm() {
  std::erase(system_.live, this);
}

Control* FakeForm::FindControl(const std::string& name, int index, ControlKind& kind) const {
  auto it = controls_.find({name, index});
  const ControlLayout* layout = layout_.Find(name, index);
  if (it == controls_.end() || layout == nullptr) return nullptr;
  kind = layout->kind;
  return it->second.get();
}

Timer* FakeForm::FindTimer(const std::string& name) const {
  auto it = timers_.find(name);
  return it == timers_.end() ? nullptr : it->second.get();
}

void FakeForm::ClickOn(const std::string& name, int index) {
  Control& control = ControlNamed(name, index);
  if (auto* toggle = dynamic_cast<FakeToggle*>(&control)) toggle->value = !toggle->value;
  Handler click = control.Click;
  if (click) click();
  system_.RunPending();
}

std::unique_ptr<Form> FakeWindowSystem::CreateForm(const FormLayout& layout) {
  return std::make_unique<FakeForm>(*this, layout, 100 + live.size());
}

void FakeWindowSystem::DestroyLater(std::unique_ptr<Form> form) {
  form->Hide();
  static_cast<FakeForm&>(*form).unloaded = true;
  pending.push_back(std::move(form));
}

FakeForm* FakeWindowSystem::Find(const std::string& name) const {
  for (FakeForm* form : live)
    if (form->Layout().name == name && !form->unloaded) return form;
  return nullptr;
}

uint32_t FakeIni::GetPrivateProfileString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue, char* buffer,
                                          uint32_t size, const std::string& fileName) {
  auto it = entries.find(fileName + " [" + section + "] " + key);
  const std::string value = it == entries.end() ? defaultValue : it->second;
  const uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(value.size()), size - 1);
  std::memcpy(buffer, value.data(), count);
  buffer[count] = '\0';
  return count;
}

bool FakeIni::WritePrivateProfileString(const std::string& section,
                                        const std::optional<std::string>& key,
                                        const std::optional<std::string>& value,
                                        const std::string& fileName) {
  const std::string name = fileName + " [" + section + "]" + (key ? " " + *key : "");
  std::erase_if(entries, [&](const auto& entry) {
    return entry.first == name || (!key && entry.first.starts_with(name + " "));
  });
  if (value) entries[name] = *value;
  log.push_back(value ? name + "=" + *value : name);
  return true;
}

FakePlatform::FakePlatform()
    : events([this](const RuntimeError& error) {
        windows.MessageBox(StandardErrorText(error), app.Title());
        app.End();
      }) {}

}  // namespace duskline::fakes
