// The main window's layout: caption, size in twips, controls with their texts and timers.
#include "about/BuildInfo.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {

namespace {

FormLayout BuildMainLayout() {
  FormLayout form;
  form.name = "Main";
  form.caption = "Duskline";
  form.clientWidth = 3255;
  form.clientHeight = 2475;
  form.border = BorderStyle::FixedSingle;
  form.centred = true;

  using K = ControlKind;
  // The home page where the builder gave one, else nothing.
  form.controls.push_back(Place("Label3", K::Label, "", 1635, 420, 1575, 255, 10, HomePage()));
  form.controls.push_back(Place("Frame2", K::Frame, "", 0, 600, 3255, 1095, 5));
  ControlLayout label = Place("Label1", K::Label, "Frame2", 120, 240, 1215, 255, 9, "Shutdown at");
  label.index = 0;
  form.controls.push_back(std::move(label));
  form.controls.push_back(Place("txtTime", K::TextBox, "Frame2", 1440, 240, 1695, 285, 7));
  label = Place("Label1", K::Label, "Frame2", 120, 600, 1215, 255, 8, "Shutdown Type");
  label.index = 1;
  form.controls.push_back(std::move(label));
  ControlLayout list = Place("cmbType", K::DropDownList, "Frame2", 1440, 600, 1695, 315, 6);
  list.items = {ShutdownTypeName(kLogoff), ShutdownTypeName(kShutdown),
                ShutdownTypeName(kPowerOff)};
  form.controls.push_back(std::move(list));
  form.controls.push_back(Place("Frame1", K::Frame, "", 0, 1680, 3255, 735, 1));
  ControlLayout close = Place("cmdClose", K::Button, "Frame1", 240, 240, 855, 375, 4, "&Close");
  close.isCancel = true;
  form.controls.push_back(std::move(close));
  form.controls.push_back(Place("cmdAbout", K::Button, "Frame1", 1200, 240, 855, 375, 2, "&About"));
  ControlLayout hide = Place("cmdHide", K::Button, "Frame1", 2160, 240, 855, 375, 3, "&Hide");
  hide.isDefault = true;
  form.controls.push_back(std::move(hide));

  form.controls.push_back(PlaceTimer("tmrAutoHide", false, 500));
  form.controls.push_back(PlaceTimer("tmrCheck", true, 1000));
  form.controls.push_back(Place("NTService1", K::Windowless, "", 0, 0, 0, 0, -1));
  form.controls.push_back(Place("SysTray", K::Windowless, "", 0, 0, 0, 0, -1));
  return form;
}

}  // namespace

const FormLayout& MainLayout() {
  static const FormLayout layout = BuildMainLayout();
  return layout;
}

}  // namespace duskline
