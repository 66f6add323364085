#include "attention/Attention.h"

#include <string>
#include <utility>

#include "platform/Language.h"
#include "scheduler/ScheduleCommand.h"
#include "tray/modTool.h"

namespace duskline {

namespace {

constexpr int16_t kLastVisibleTick = 45;
// Screen readers are told when the window appears and with these seconds left: a reader that
// spoke every second would drown the user. The last comes after the window has gone.
constexpr int kHalfwayAnnounced = 30;
constexpr int16_t kLastTick = 60 - 10;
constexpr const char* kWaitingText = N_("will be activated in one Minute.");

using K = ControlKind;
constexpr FontRow kFonts[] = {{"MS Sans Serif", 18, false}, {"MS Sans Serif", 13.5f, false}};
// clang-format off
constexpr ControlRow kControls[] = {
  // name     text          left  top   width height kind       frame tab index font flags
  {"lblInfo", nullptr,      240,  120,  4215, 615,  K::Label,  -1,   1,  -1,   1,   kCentred | kRedText},
  {"lblTime", kWaitingText, 120,  840,  4455, 495,  K::Label,  -1,   2,  -1,   2,   kCentred},
  {"cmdStop", N_("Stop"), 1005, 1560, 1215, 495,  K::Button, -1,   0,  -1,   0,   kDefault},
  {"cmdPostpone", N_("&Postpone"), 2460, 1560, 1215, 495, K::Button, -1, 3, -1,  0,   0},
  {"Timer1",  nullptr,      0,    0,    0,    0,    K::Timer,  -1,   -1, -1,   0,   0, 1000},
};
// clang-format on
constexpr int kInfoRow = 0;

constexpr FormRow kForm = {.name = "Attention",
                           .caption = N_("System Information"),
                           .icon = "attention",
                           .clientWidth = 4680,
                           .clientHeight = 2220,
                           .border = BorderStyle::FixedSingle,
                           .flags = kFormCentred | kFormAlert,
                           .controls = kControls,
                           .fonts = kFonts};

FormLayout BuildAttentionLayout() {
  FormLayout form = BuildLayout(kForm);
  form.controls[kInfoRow].text = Tr(ShutdownTypeName(kShutdown));
  return form;
}

}  // namespace

const FormLayout& AttentionLayout() {
  return LayoutInLanguage<BuildAttentionLayout>();
}

Attention::Attention(Platform& platform, const DropDownList& cmbType, Handler postpone,
                     Handler stop)
    : platform_(platform),
      cmbType_(cmbType),
      postpone_(std::move(postpone)),
      stop_(std::move(stop)) {}

Attention::~Attention() = default;

void Attention::Show() {
  if (!form_) {
    form_ = platform_.windows.CreateForm(AttentionLayout());
    EventDispatcher& events = platform_.events;
    form_->TimerNamed("Timer1").Tick = events.Wrap(this, &Attention::Timer1_Timer);
    form_->ControlNamed("cmdStop").Click = events.Wrap(this, &Attention::cmdStop_Click);
    form_->ControlNamed("cmdPostpone").Click = events.Wrap(this, &Attention::cmdPostpone_Click);
    events.Raise([this] { Form_Load(); });
  } else {
    // A second warning in the same run: a count left above the limit would hide the window
    // at once, and the action may have changed since the first.
    StartCount();
    form_->LabelNamed("lblTime").SetCaption(Tr(kWaitingText));
    Timer& timer = form_->TimerNamed("Timer1");
    timer.SetEnabled(false);
    timer.SetEnabled(true);
  }
  ApplyOffers();
  form_->Show();
  Announce(form_->LabelNamed("lblTime").Caption(), true);
}

void Attention::Announce(const std::string& timeLeft, bool appearing) {
  form_->Announce({form_->LabelNamed("lblInfo").Caption() + " " + timeLeft, appearing});
}

void Attention::PutAway() {
  form_->TimerNamed("Timer1").SetEnabled(false);
  form_->Hide();
}

void Attention::Form_Load() {
  StartCount();
  FormOnTop(platform_, *form_, -1);
}

void Attention::StartCount() {
  gintTicks_ = 0;
  form_->LabelNamed("lblInfo").SetCaption(Tr(ShutdownTypeName(cmbType_.ListIndex())));
}

void Attention::Timer1_Timer() {
  // The count stops after the last announcement, so it cannot overflow however long the
  // hidden window stays loaded.
  if (gintTicks_ < kLastTick) ++gintTicks_;
  const int secondsLeft = 60 - gintTicks_;
  const std::string left =
      TrFormat("will be activated in %s seconds.", {std::to_string(secondsLeft)});
  if (gintTicks_ <= kLastVisibleTick) {
    form_->Show();
    form_->LabelNamed("lblTime").SetCaption(left);
  } else {
    form_->Hide();
  }
  if (secondsLeft == kHalfwayAnnounced || gintTicks_ == kLastTick) Announce(left, false);
  // Nothing more to count until it is shown again: no need to wake each second for it.
  if (gintTicks_ == kLastTick) form_->TimerNamed("Timer1").SetEnabled(false);
}

void Attention::cmdStop_Click() {
  if (!stopShown_) return;
  if (stop_) return stop_();
  platform_.app.End();
}

void Attention::cmdPostpone_Click() {
  if (postpone_) postpone_();
}

void Attention::OfferPostpone(bool shown, bool enabled) {
  postponeShown_ = shown;
  postponeEnabled_ = enabled;
  if (form_) ApplyOffers();
}

void Attention::OfferStop(bool shown) {
  stopShown_ = shown;
  if (form_) ApplyOffers();
}

void Attention::ApplyOffers() {
  Control& button = form_->ControlNamed("cmdPostpone");
  button.SetVisible(postponeShown_);
  button.SetEnabled(postponeEnabled_);
  form_->ControlNamed("cmdStop").SetVisible(stopShown_);
}

}  // namespace duskline
