// The main window's layout: caption, size in twips, controls with their texts and timers.
#include "about/BuildInfo.h"
#include "platform/Language.h"
#include "scheduler/ChosenDays.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleCommand.h"
#include "scheduler/Trigger.h"

namespace duskline {

namespace {

using K = ControlKind;
constexpr int8_t kFrame2 = 1, kFrame1 = 19;
// clang-format off
constexpr ControlRow kControls[] = {
  // name          text                  left  top   width height kind             frame    tab index font flags
  {"Label3",       nullptr,              1635, 420,  1575, 255,  K::Label,        -1,      10, -1, 0, 0},
  {"Frame2",       nullptr,              0,    600,  3255, 2715, K::Frame,        -1,      5,  -1, 0, 0},
  {"Label1",       N_("Shutdown at"),    120,  240,  1215, 255,  K::Label,        kFrame2, 9,  0,  0, 0},
  {"txtTime",      nullptr,              1440, 240,  1695, 285,  K::TextBox,      kFrame2, 7,  -1, 0, 0},
  {"Label1",       N_("Shutdown Type"),  120,  600,  1215, 255,  K::Label,        kFrame2, 8,  1,  0, 0},
  {"cmbType",      nullptr,              1440, 600,  1695, 315,  K::DropDownList, kFrame2, 6,  -1, 0, 0},
  // The days in one row below the type; their names are filled in below.
  {"chkDay",       nullptr,              120,  1020, 430,  315,  K::Toggle,       kFrame2, 11, 0,  0, kPressed},
  {"chkDay",       nullptr,              550,  1020, 430,  315,  K::Toggle,       kFrame2, 12, 1,  0, kPressed},
  {"chkDay",       nullptr,              980,  1020, 430,  315,  K::Toggle,       kFrame2, 13, 2,  0, kPressed},
  {"chkDay",       nullptr,              1410, 1020, 430,  315,  K::Toggle,       kFrame2, 14, 3,  0, kPressed},
  {"chkDay",       nullptr,              1840, 1020, 430,  315,  K::Toggle,       kFrame2, 15, 4,  0, kPressed},
  {"chkDay",       nullptr,              2270, 1020, 430,  315,  K::Toggle,       kFrame2, 16, 5,  0, kPressed},
  {"chkDay",       nullptr,              2700, 1020, 430,  315,  K::Toggle,       kFrame2, 17, 6,  0, kPressed},
  // What starts the countdown, below the days: each label's mnemonic reaches the control after it.
  {"Label2",       N_("&When"),          120,  1440, 1215, 255,  K::Label,        kFrame2, 18, 0,  0, 0},
  {"cmbTrigger",   nullptr,              1440, 1440, 1695, 315,  K::DropDownList, kFrame2, 19, -1, 0, 0},
  {"Label2",       N_("&Duration H:MM"), 120,  1860, 1215, 255,  K::Label,        kFrame2, 20, 1,  0, 0},
  {"txtWait",      nullptr,              1440, 1860, 1695, 285,  K::TextBox,      kFrame2, 21, -1, 0, 0},
  {"Label2",       N_("&Program"),       120,  2280, 1215, 255,  K::Label,        kFrame2, 22, 2,  0, 0},
  {"txtProgram",   nullptr,              1440, 2280, 1695, 285,  K::TextBox,      kFrame2, 23, -1, 0, 0},
  {"Frame1",       nullptr,              0,    3300, 3255, 735,  K::Frame,        -1,      1,  -1, 0, 0},
  {"cmdClose",     N_("&Close"),         240,  240,  855,  375,  K::Button,       kFrame1, 4,  -1, 0, kCancel},
  {"cmdAbout",     N_("&About"),         1200, 240,  855,  375,  K::Button,       kFrame1, 2,  -1, 0, 0},
  {"cmdHide",      N_("&Hide"),          2160, 240,  855,  375,  K::Button,       kFrame1, 3,  -1, 0, kDefault},
  {"tmrAutoHide",  nullptr,              0,    0,    0,    0,    K::Timer,        -1,      -1, -1, 0, kTimerOff, 500},
  {"tmrCheck",     nullptr,              0,    0,    0,    0,    K::Timer,        -1,      -1, -1, 0, 0,         1000},
  {"NTService1",   nullptr,              0,    0,    0,    0,    K::Windowless,   -1,      -1, -1, 0, 0},
  {"SysTray",      nullptr,              0,    0,    0,    0,    K::Windowless,   -1,      -1, -1, 0, 0},
};
// clang-format on
constexpr int kHomePageRow = 0, kTypeListRow = 5, kFirstDayRow = 6, kTriggerListRow = 14;

constexpr FormRow kForm = {.name = "Main",
                           .caption = "Duskline",
                           .clientWidth = 3255,
                           .clientHeight = 4095,
                           .border = BorderStyle::FixedSingle,
                           .flags = kFormCentred,
                           .controls = kControls};

FormLayout BuildMainLayout() {
  FormLayout form = BuildLayout(kForm);
  // The home page where the builder gave one, else nothing.
  form.controls[kHomePageRow].text = HomePage();
  for (int type = 0; type < kShutdownTypeCount; ++type)
    form.controls[kTypeListRow].items.push_back(Tr(ShutdownTypeName(type)));
  for (int day = 0; day < kDaysInWeek; ++day)
    form.controls[kFirstDayRow + day].text = Tr(DayName(day));
  for (int kind = 0; kind < kTriggerKindCount; ++kind)
    form.controls[kTriggerListRow].items.push_back(
        Tr(TriggerKindName(static_cast<TriggerKind>(kind))));
  return form;
}

}  // namespace

const FormLayout& MainLayout() {
  return LayoutInLanguage<BuildMainLayout>();
}

}  // namespace duskline
