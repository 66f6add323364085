#include "platform/test/FakeWindows.h"

#include <algorithm>
#include <chrono>

#include "platform/Runtime.h"

namespace duskline::fakes {

namespace {

using namespace std::chrono;

constexpr int64_t kDayMs = 24LL * 60 * 60 * 1000;

int64_t ToMilliseconds(const LocalTime& t) {
  sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} /
               std::chrono::day{static_cast<unsigned>(t.day)}};
  return duration_cast<milliseconds>(day.time_since_epoch()).count() +
         ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000;
}

LocalTime FromMilliseconds(int64_t ms) {
  sys_time<milliseconds> point{milliseconds{ms}};
  sys_days day = floor<days>(point);
  year_month_day date{day};
  hh_mm_ss time{point - day};
  LocalTime t;
  t.year = static_cast<int>(date.year());
  t.month = static_cast<int>(static_cast<unsigned>(date.month()));
  t.day = static_cast<int>(static_cast<unsigned>(date.day()));
  t.hour = static_cast<int>(time.hours().count());
  t.minute = static_cast<int>(time.minutes().count());
  t.second = static_cast<int>(time.seconds().count());
  return t;
}

}  // namespace

// ---- clock and timers ----

FakeClock::FakeClock() : start_(ToMilliseconds(LocalTime{2024, 1, 1, 0, 0, 0})) {}

LocalTime FakeClock::Now() const {
  return FromMilliseconds(start_ + elapsed_);
}

void FakeClock::Set(const LocalTime& now) {
  start_ = ToMilliseconds(now) - elapsed_;
}

void FakeClock::SetTime(int hour, int minute, int second) {
  LocalTime t = Now();
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  Set(t);
}

void FakeClock::AdvanceMilliseconds(int64_t milliseconds) {
  const int64_t target = elapsed_ + milliseconds;
  for (;;) {
    FakeTimer* next = nullptr;
    for (FakeTimer* timer : timers_) {
      if (!timer->Running() || timer->due_ > target) continue;
      if (!next || timer->due_ < next->due_ ||
          (timer->due_ == next->due_ && timer->serial_ < next->serial_))
        next = timer;
    }
    if (!next) break;
    elapsed_ = next->due_;
    next->due_ += next->interval_;
    Handler tick = next->Tick;  // the handler may destroy nothing, but may re-arm the timer
    if (tick) tick();
    if (afterEvent) afterEvent();
  }
  elapsed_ = target;
}

void FakeClock::AdvanceTo(int hour, int minute, int second) {
  const int64_t now = start_ + elapsed_;
  LocalTime t = Now();
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  int64_t target = ToMilliseconds(t);
  if (target <= now) target += kDayMs;
  AdvanceMilliseconds(target - now);
}

void FakeClock::Add(FakeTimer* timer) {
  timer->serial_ = nextSerial_++;
  timers_.push_back(timer);
}

void FakeClock::Remove(FakeTimer* timer) {
  std::erase(timers_, timer);
}

FakeTimer::FakeTimer(FakeClock& clock, bool enabled, int interval)
    : clock_(clock), enabled_(enabled), interval_(interval) {
  clock_.Add(this);
  due_ = clock_.elapsed_ + interval_;
}

FakeTimer::~FakeTimer() {
  clock_.Remove(this);
}

void FakeTimer::SetEnabled(bool enabled) {
  failures.Check("Enabled");
  if (enabled && !enabled_) due_ = clock_.elapsed_ + interval_;
  enabled_ = enabled;
}

void FakeTimer::SetInterval(int milliseconds) {
  failures.Check("Interval");
  interval_ = milliseconds;
  due_ = clock_.elapsed_ + interval_;
}

// ---- controls ----

void FakeTextBox::SetText(const std::string& text) {
  failures.Check("Text");
  if (text == text_) return;
  text_ = text;
  if (Change) Change();
}

std::string FakeDropDownList::List(int index) const {
  if (index < 0 || index >= ListCount()) Raise(kErrInvalidPropertyValue);
  return items_[index];
}

void FakeDropDownList::SetListIndex(int index) {
  failures.Check("ListIndex");
  if (index < -1 || index >= ListCount()) Raise(kErrInvalidPropertyValue);
  if (index == index_) return;
  index_ = static_cast<int16_t>(index);
  if (Click) Click();
}

// ---- forms ----

FakeForm::FakeForm(FakeWindowSystem& system, const FormLayout& layout, WindowHandle handle)
    : system_(system), layout_(layout), handle_(handle) {
  for (const ControlLayout& control : layout_.controls) {
    Entry entry{&control, nullptr, nullptr};
    switch (control.kind) {
      case ControlKind::Label: {
        auto label = std::make_unique<FakeLabel>();
        label->SetCaption(control.text);
        entry.control = std::move(label);
        break;
      }
      case ControlKind::TextBox: {
        auto box = std::make_unique<FakeTextBox>();
        box->SetText(control.text);
        entry.control = std::move(box);
        break;
      }
      case ControlKind::DropDownList:
        entry.control = std::make_unique<FakeDropDownList>(control.items);
        break;
      case ControlKind::Frame:
      case ControlKind::Button:
      case ControlKind::Image:
        entry.control = std::make_unique<FakeButton>();
        break;
      case ControlKind::Timer:
        entry.timer =
            std::make_unique<FakeTimer>(system_.clock_, control.enabled, control.interval);
        break;
      case ControlKind::Windowless:
        break;
    }
    if (entry.control) entry.control->SetEnabled(control.enabled);
    entries_.emplace(std::make_pair(control.name, control.index), std::move(entry));
  }
  system_.live_.push_back(this);
}

FakeForm::~FakeForm() {
  std::erase(system_.live_, this);
}

void FakeForm::Show() {
  visible_ = true;
  ++showCount_;
  if (!focused_.empty()) return;
  // The first reachable control in tab order takes the focus.
  const ControlLayout* first = nullptr;
  for (const ControlLayout& control : layout_.controls) {
    bool focusable = control.kind == ControlKind::TextBox ||
                     control.kind == ControlKind::DropDownList ||
                     control.kind == ControlKind::Button;
    if (focusable && control.tabIndex >= 0 && (!first || control.tabIndex < first->tabIndex))
      first = &control;
  }
  if (first) focused_ = first->name;
}

FakeForm::Entry& FakeForm::Find(const std::string& name, int index) {
  auto it = entries_.find({name, index});
  if (it == entries_.end())
    throw std::logic_error("form " + layout_.name + " has no control " + name);
  return it->second;
}

template <typename T>
T& As(Control* control, const std::string& name) {
  auto* typed = dynamic_cast<T*>(control);
  if (!typed) throw std::logic_error(name + " is not of the kind asked for");
  return *typed;
}

TextBox& FakeForm::TextBoxNamed(const std::string& name) {
  return FakeTextBoxNamed(name);
}
DropDownList& FakeForm::DropDownListNamed(const std::string& name) {
  return FakeDropDownListNamed(name);
}
Label& FakeForm::LabelNamed(const std::string& name, int index) {
  return As<FakeLabel>(Find(name, index).control.get(), name);
}
Control& FakeForm::ControlNamed(const std::string& name, int index) {
  Control* control = Find(name, index).control.get();
  if (!control) throw std::logic_error(name + " has no window");
  return *control;
}
Timer& FakeForm::TimerNamed(const std::string& name) {
  return FakeTimerNamed(name);
}

FakeTextBox& FakeForm::FakeTextBoxNamed(const std::string& name) {
  return As<FakeTextBox>(Find(name, -1).control.get(), name);
}
FakeDropDownList& FakeForm::FakeDropDownListNamed(const std::string& name) {
  return As<FakeDropDownList>(Find(name, -1).control.get(), name);
}
FakeTimer& FakeForm::FakeTimerNamed(const std::string& name) {
  FakeTimer* timer = Find(name, -1).timer.get();
  if (!timer) throw std::logic_error(name + " is not a timer");
  return *timer;
}

FakeForm::Entry& FakeForm::Reachable(const std::string& name, int index) {
  if (!visible_) throw NotReachable("form " + layout_.name + " is hidden");
  Entry& entry = Find(name, index);
  for (Entry* e = &entry;;) {
    Control* control = e->control.get();
    if (!control || !control->Enabled() || !control->Visible())
      throw NotReachable(name + " cannot be reached");
    if (e->layout->container.empty()) break;
    e = &Find(e->layout->container, -1);
  }
  return entry;
}

void FakeForm::MoveFocus(const std::string& name) {
  if (focused_ == name) return;
  std::string previous = std::exchange(focused_, name);
  if (previous.empty()) return;
  Control* control = Find(previous, -1).control.get();
  if (auto* box = dynamic_cast<TextBox*>(control); box && box->LostFocus) box->LostFocus();
  if (auto* list = dynamic_cast<DropDownList*>(control); list && list->LostFocus) list->LostFocus();
}

void FakeForm::Settle() {
  system_.RunPending();
}  // may destroy this form: nothing after it

void FakeForm::Type(const std::string& name, const std::string& text) {
  auto& box = As<FakeTextBox>(Reachable(name, -1).control.get(), name);
  MoveFocus(name);
  for (char c : text) box.SetText(box.Text() + c);
  Settle();
}

void FakeForm::Paste(const std::string& name, const std::string& text) {
  auto& box = As<FakeTextBox>(Reachable(name, -1).control.get(), name);
  MoveFocus(name);
  box.SetText(text);
  Settle();
}

void FakeForm::Pick(const std::string& name, int index) {
  auto& list = As<FakeDropDownList>(Reachable(name, -1).control.get(), name);
  MoveFocus(name);
  list.SetListIndex(index);
  Settle();
}

void FakeForm::Focus(const std::string& name) {
  Reachable(name, -1);
  MoveFocus(name);
  Settle();
}

void FakeForm::ClickOn(const std::string& name, int index) {
  Entry& entry = Reachable(name, index);
  if (entry.layout->kind == ControlKind::Button) MoveFocus(name);
  Handler click = entry.control->Click;
  if (click) click();
  Settle();
}

void FakeForm::ClickForm() {
  if (!visible_) throw NotReachable("form " + layout_.name + " is hidden");
  Handler click = Click;
  if (click) click();
  Settle();
}

void FakeForm::PressKey(int code) {
  if (!visible_) throw NotReachable("form " + layout_.name + " is hidden");
  for (const ControlLayout& control : layout_.controls) {
    if ((code == 13 && control.isDefault) || (code == 27 && control.isCancel)) {
      ClickOn(control.name, control.index);
      return;
    }
  }
  std::function<void(int)> keyPress = KeyPress;
  if (keyPress) keyPress(code);
  Settle();
}

void FakeForm::CloseByUser() {
  Handler queryUnload = QueryUnload;
  if (queryUnload) queryUnload();
  Settle();
}

// ---- window system ----

FakeWindowSystem::~FakeWindowSystem() {
  pending_.clear();
}

std::unique_ptr<Form> FakeWindowSystem::CreateForm(const FormLayout& layout) {
  failures.Check("CreateForm " + layout.name);
  ++created_[layout.name];
  return std::make_unique<FakeForm>(*this, layout, nextHandle_++);
}

void FakeWindowSystem::DestroyLater(std::unique_ptr<Form> form) {
  if (form) form->Hide();
  pending_.push_back(std::move(form));
}

void FakeWindowSystem::MessageBox(const std::string& text, const std::string& caption) {
  messageBoxes.push_back({text, caption});
  if (onMessageBox) onMessageBox(messageBoxes.back());
}

FakeForm* FakeWindowSystem::Find(const std::string& name) const {
  for (FakeForm* form : live_)
    if (form->Layout().name == name && form->Handle() != 0) {
      bool unloaded = std::any_of(pending_.begin(), pending_.end(),
                                  [form](const auto& p) { return p.get() == form; });
      if (!unloaded) return form;
    }
  return nullptr;
}

int FakeWindowSystem::Created(const std::string& name) const {
  auto it = created_.find(name);
  return it == created_.end() ? 0 : it->second;
}

}  // namespace duskline::fakes
