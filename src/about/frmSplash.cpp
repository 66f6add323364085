#include "about/frmSplash.h"

#include <iterator>
#include <string>

#include "about/BuildInfo.h"
#include "platform/Language.h"

namespace duskline {

namespace {

constexpr int kCompanyLines = 7;

using K = ControlKind;
constexpr FontRow kFonts[] = {{"Letter Gothic MT", 15.75f, false},
                              {"Letter Gothic MT", 12, false},
                              {"Letter Gothic MT", 9.75f, true},
                              {"Letter Gothic MT", 9, true},
                              {"Letter Gothic MT", 8.25f, false}};
constexpr uint8_t kTitle = 1, kVersion = 2, kCopyright = 3, kCompanyName = 4, kCompany = 5;
constexpr int8_t kFrame1 = 0, kFrame3 = 2, kFrame2 = 7;
// Only what is true of this build: the product, its licence, the build's processor and
// commit date (filled in below), and a home page only where the builder gave one.
// clang-format off
constexpr ControlRow kControls[] = {
  // name             text                  left  top   width height kind       frame    tab index font          flags
  {"Frame1",          nullptr,              30,   0,    7305, 3855, K::Frame,  -1,      -1, -1, 0,            0},
  {"imgLogo",         "logo",               40,   120,  7214, 1305, K::Image,  kFrame1, -1, -1, 0,            kPicture},
  {"Frame3",          nullptr,              120,  1440, 3615, 2295, K::Frame,  kFrame1, -1, -1, 0,            0},
  {"lblProductName",  nullptr,              120,  360,  3375, 375,  K::Label,  kFrame3, -1, -1, kTitle,       0},
  {"lblPlatform",     "Win 95/98/NT/2000",  120,  840,  3315, 390,  K::Label,  kFrame3, -1, -1, kTitle,       kAutoSize},
  {"lblVersion",      "1.1.0",              120,  1320, 3255, 300,  K::Label,  kFrame3, -1, -1, kVersion,     kAutoSize},
  {"lblCopyright",    N_("(c) 2026 the Duskline developers"),
                                            120,  1920, 3375, 255,  K::Label,  kFrame3, -1, -1, kCopyright,   kCentred},
  {"Frame2",          nullptr,              3840, 1440, 3375, 2295, K::Frame,  kFrame1, -1, -1, 0,            0},
  {"lblCompany",      "Duskline",           120,  240,  3135, 255,  K::Label,  kFrame2, -1, 0,  kCompanyName, 0},
  {"lblCompany",      N_("Free software,"), 120,  600,  3135, 255,  K::Label,  kFrame2, -1, 1,  kCompany,     0},
  {"lblCompany",      N_("MIT licence"),    120,  840,  3135, 255,  K::Label,  kFrame2, -1, 2,  kCompany,     0},
  {"lblCompany",      nullptr,              120,  1200, 3135, 255,  K::Label,  kFrame2, -1, 3,  kCompany,     0},
  {"lblCompany",      nullptr,              120,  1440, 3135, 255,  K::Label,  kFrame2, -1, 4,  kCompany,     0},
  {"lblCompany",      nullptr,              120,  1680, 3135, 255,  K::Label,  kFrame2, -1, 5,  kCompany,     0},
  {"lblCompany",      nullptr,              120,  1920, 3135, 255,  K::Label,  kFrame2, -1, 6,  kCompany,     0},
};
// clang-format on
constexpr int kCompanyRow = 8;
static_assert(std::size(kControls) == kCompanyRow + kCompanyLines);

constexpr FormRow kForm = {.name = "frmSplash",
                           .clientWidth = 7380,
                           .clientHeight = 3945,
                           .border = BorderStyle::FixedDialog,
                           .flags = kFormCentred | kNoControlBox | kNotInTaskbar,
                           .controls = kControls,
                           .fonts = kFonts};

FormLayout BuildSplashLayout() {
  FormLayout form = BuildLayout(kForm);
  const std::string date = BuildDate();
  form.controls[kCompanyRow + 3].text = TrFormat("%s build", {BuildArchitecture()});
  if (!date.empty()) form.controls[kCompanyRow + 4].text = TrFormat("of %s", {date});
  form.controls[kCompanyRow + 6].text = HomePage();
  return form;
}

}  // namespace

const FormLayout& SplashLayout() {
  return LayoutInLanguage<BuildSplashLayout>();
}

frmSplash::frmSplash(Platform& platform) : platform_(platform) {}

frmSplash::~frmSplash() = default;

void frmSplash::Show() {
  if (!form_) {
    form_ = platform_.windows.CreateForm(SplashLayout());
    EventDispatcher& events = platform_.events;
    form_->Click = events.Wrap(this, &frmSplash::Form_Click);
    form_->KeyPress = events.Wrap(this, &frmSplash::Form_KeyPress);
    form_->ControlNamed("Frame1").Click = events.Wrap(this, &frmSplash::Frame1_Click);
    form_->ControlNamed("Frame2").Click = events.Wrap(this, &frmSplash::Frame2_Click);
    form_->ControlNamed("Frame3").Click = events.Wrap(this, &frmSplash::Frame3_Click);
    form_->ControlNamed("imgLogo").Click = events.Wrap(this, &frmSplash::imgLogo_Click);
    form_->LabelNamed("lblCopyright").Click = events.Wrap(this, &frmSplash::lblCopyright_Click);
    form_->LabelNamed("lblPlatform").Click = events.Wrap(this, &frmSplash::lblPlatform_Click);
    form_->LabelNamed("lblProductName").Click = events.Wrap(this, &frmSplash::lblProductName_Click);
    form_->LabelNamed("lblVersion").Click = events.Wrap(this, &frmSplash::lblVersion_Click);
    for (int i = 0; i < kCompanyLines; ++i)
      form_->LabelNamed("lblCompany", i).Click = events.Wrap([this, i] { lblCompany_Click(i); });
    events.Raise([this] { Form_Load(); });
  }
  form_->Show();
}

void frmSplash::Form_Load() {
  const App& app = platform_.app;
  form_->LabelNamed("lblVersion")
      .SetCaption(
          TrFormat("Version %s", {std::to_string(app.Major()) + "." + std::to_string(app.Minor()) +
                                  "." + std::to_string(app.Revision())}));
  form_->LabelNamed("lblProductName").SetCaption(app.Title());
}

void frmSplash::Unload() {
  // The window goes once the event that closed it has returned; the next show loads it anew.
  if (form_) platform_.windows.DestroyLater(std::move(form_));
}

void frmSplash::Form_Click() {
  Unload();
}
void frmSplash::Form_KeyPress(int) {
  Unload();
}
void frmSplash::Frame1_Click() {
  Unload();
}
void frmSplash::Frame2_Click() {
  Unload();
}
void frmSplash::Frame3_Click() {
  Unload();
}
void frmSplash::imgLogo_Click() {
  Unload();
}
void frmSplash::lblCompany_Click(int) {
  Unload();
}
void frmSplash::lblCopyright_Click() {
  Unload();
}
void frmSplash::lblPlatform_Click() {
  Unload();
}
void frmSplash::lblProductName_Click() {
  Unload();
}
void frmSplash::lblVersion_Click() {
  Unload();
}

}  // namespace duskline
