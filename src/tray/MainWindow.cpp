// Main's tray icon and window handling: the tooltip, restoring from the tray, hiding,
// closing and the About window.

#include "about/frmSplash.h"
#include "platform/Language.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleCommand.h"
#include "scheduler/ScheduleTime.h"
#include "scheduler/Trigger.h"

namespace duskline {

void Main::SetToolTip() {
  // A changed schedule earns a new countdown and a new notification, and puts an earlier
  // occurrence's postponement aside.
  gblnAttentionShown_ = false;
  gblnWarningNotified_ = false;
  postponedTo_.reset();
  gintPostponements_ = 0;
  platform_.tray.SetTipText(ToolTipText());
  CheckAfterEdit();
}

std::string Main::ToolTipText() const {
  std::string time = txtTime().Text();
  if (postponedTo_) time = HourAndMinute(*postponedTo_);
  std::string text;
  if (CurrentTrigger().kind != TriggerKind::TimeOfDay) {
    text = TriggerToolTip();
  } else {
    text = TrFormat("%s at %s", {Tr(ShutdownTypeName(cmbType().ListIndex())), time});
    const DaySet days = ChosenDays();
    if (days != kEveryDay) text += ", " + DaysSummary(days);
  }
  if (gblnCodeFromPolicy_) {
    text += Tr(" (set by your administrator)");
  } else if (gblnDaysFromPolicy_) {
    text += Tr(" (days set by your administrator)");
  }
  return text;
}

void Main::EnableFields() {
  const bool editable = !gblnScheduleLocked_;
  const TriggerKind kind = CurrentTrigger().kind;
  const bool timeOfDay = kind == TriggerKind::TimeOfDay;
  const bool code = editable && !gblnCodeFromPolicy_, trigger = editable && !gblnTriggerFromPolicy_;
  txtTime().SetEnabled(code && timeOfDay);
  cmbType().SetEnabled(code);
  for (int day = 0; day < kDaysInWeek; ++day)
    chkDay(day).SetEnabled(editable && !gblnDaysFromPolicy_ && timeOfDay);
  cmbTrigger().SetEnabled(trigger);
  txtWait().SetEnabled(trigger && (kind == TriggerKind::In || kind == TriggerKind::Idle));
  txtProgram().SetEnabled(trigger && kind == TriggerKind::After);
}

void Main::SysTray_IconActivate() {
  form_->Show();
  platform_.tray.RemoveIcon();
  if (platform_.tray.Animating()) platform_.tray.ToggleAnimation();
  CheckOnNextSecond();
}

void Main::cmdHide_Click() {
  platform_.tray.AddIcon();
  if (platform_.tray.Available()) {
    form_->Hide();
  } else {
    form_->Minimize();
  }
  CheckOnNextSecond();
}

void Main::tmrAutoHide_Timer() {
  cmdHide_Click();
  tmrAutoHide().SetEnabled(false);
}

void Main::cmdClose_Click() {
  Form_Unload();
}

// Unloading the main window is the end of the program, whatever caused it.
void Main::Form_Unload() {
  platform_.app.End();
}

void Main::cmdAbout_Click() {
  if (!splash_) splash_ = std::make_unique<frmSplash>(platform_);
  splash_->Show();
}

}  // namespace duskline
