// Main's tray icon and window handling: the tooltip, restoring from the tray, hiding,
// closing and the About window.
#include "about/frmSplash.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {

void Main::SetToolTip() {
  gblnAttentionShown_ = false;  // a changed schedule earns a new countdown
  const std::string prefix = ShutdownTypeName(cmbType().ListIndex()) + " at ";
  platform_.tray.SetTipText(prefix + txtTime().Text());
}

void Main::SysTray_IconActivate() {
  form_->Show();
  platform_.tray.RemoveIcon();
  if (platform_.tray.Animating()) platform_.tray.ToggleAnimation();
}

void Main::cmdHide_Click() {
  platform_.tray.AddIcon();
  form_->Hide();
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
