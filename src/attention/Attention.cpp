#include "attention/Attention.h"

#include <string>

#include "scheduler/ScheduleCommand.h"
#include "tray/modTool.h"

namespace duskline {

namespace {

constexpr int16_t kLastVisibleTick = 45;
constexpr const char* kWaitingText = "will be activated in one Minute.";

FormLayout BuildAttentionLayout() {
  FormLayout form;
  form.name = "Attention";
  form.caption = "System Information";
  form.clientWidth = 4680;
  form.clientHeight = 2220;
  form.border = BorderStyle::FixedSingle;
  form.centred = true;
  form.icon = "attention";

  ControlLayout info =
      Place("lblInfo", ControlKind::Label, "", 240, 120, 4215, 615, 1, ShutdownTypeName(kShutdown));
  info.font = Font{"MS Sans Serif", 18, false};
  info.foreColor = 0x0000FF;  // red
  info.alignment = Alignment::Centre;
  form.controls.push_back(std::move(info));
  ControlLayout time =
      Place("lblTime", ControlKind::Label, "", 120, 840, 4455, 495, 2, kWaitingText);
  time.font = Font{"MS Sans Serif", 13.5, false};
  time.alignment = Alignment::Centre;
  form.controls.push_back(std::move(time));
  form.controls.push_back(
      Place("cmdStop", ControlKind::Button, "", 1680, 1560, 1215, 495, 0, "Stop"));
  form.controls.push_back(PlaceTimer("Timer1", true, 1000));
  return form;
}

}  // namespace

const FormLayout& AttentionLayout() {
  static const FormLayout layout = BuildAttentionLayout();
  return layout;
}

Attention::Attention(Platform& platform, const DropDownList& cmbType)
    : platform_(platform), cmbType_(cmbType) {}

Attention::~Attention() = default;

void Attention::Show() {
  if (!form_) {
    form_ = platform_.windows.CreateForm(AttentionLayout());
    EventDispatcher& events = platform_.events;
    form_->TimerNamed("Timer1").Tick = events.Wrap([this] { Timer1_Timer(); });
    form_->ControlNamed("cmdStop").Click = events.Wrap([this] { cmdStop_Click(); });
    events.Raise([this] { Form_Load(); });
  } else {
    // A second warning in the same run: a count left above the limit would hide the window
    // at once, and the action may have changed since the first.
    StartCount();
    form_->LabelNamed("lblTime").SetCaption(kWaitingText);
    Timer& timer = form_->TimerNamed("Timer1");
    timer.SetEnabled(false);
    timer.SetEnabled(true);
  }
  form_->Show();
}

void Attention::Form_Load() {
  StartCount();
  FormOnTop(platform_, *form_, -1);
}

void Attention::StartCount() {
  gintTicks_ = 0;
  form_->LabelNamed("lblInfo").SetCaption(ShutdownTypeName(cmbType_.ListIndex()));
}

void Attention::Timer1_Timer() {
  // The count stops once the window is hidden, so it cannot overflow however long the
  // hidden window stays loaded.
  if (gintTicks_ <= kLastVisibleTick) ++gintTicks_;
  if (gintTicks_ > kLastVisibleTick) {
    form_->Hide();
    return;
  }
  form_->Show();
  form_->LabelNamed("lblTime").SetCaption("will be activated in " +
                                          std::to_string(60 - gintTicks_) + " seconds.");
}

void Attention::cmdStop_Click() {
  platform_.app.End();
}

}  // namespace duskline
