#include "about/frmSplash.h"

#include <string>

#include "about/BuildInfo.h"

namespace duskline {

namespace {

constexpr int kCompanyLines = 7;

FormLayout BuildSplashLayout() {
  FormLayout form;
  form.name = "frmSplash";
  form.clientWidth = 7380;
  form.clientHeight = 3945;
  form.border = BorderStyle::FixedDialog;
  form.centred = true;
  form.controlBox = false;
  form.showInTaskbar = false;

  using K = ControlKind;
  const Font title{"Letter Gothic MT", 15.75, false};
  form.controls.push_back(Place("Frame1", K::Frame, "", 30, 0, 7305, 3855, -1));
  ControlLayout logo = Place("imgLogo", K::Image, "Frame1", 40, 120, 7214, 1305, -1);
  logo.picture = "logo";
  form.controls.push_back(std::move(logo));
  form.controls.push_back(Place("Frame3", K::Frame, "Frame1", 120, 1440, 3615, 2295, -1));
  ControlLayout product = Place("lblProductName", K::Label, "Frame3", 120, 360, 3375, 375, -1);
  product.font = title;
  form.controls.push_back(std::move(product));
  ControlLayout platform =
      Place("lblPlatform", K::Label, "Frame3", 120, 840, 3315, 390, -1, "Win 95/98/NT/2000");
  platform.font = title;
  platform.autoSize = true;
  form.controls.push_back(std::move(platform));
  ControlLayout version =
      Place("lblVersion", K::Label, "Frame3", 120, 1320, 3255, 300, -1, "1.1.0");
  version.font = Font{"Letter Gothic MT", 12, false};
  version.autoSize = true;
  form.controls.push_back(std::move(version));
  ControlLayout copyright = Place("lblCopyright", K::Label, "Frame3", 120, 1920, 3375, 255, -1,
                                  "(c) 2026 the Duskline developers");
  copyright.font = Font{"Letter Gothic MT", 9.75, true};
  copyright.alignment = Alignment::Centre;
  form.controls.push_back(std::move(copyright));
  form.controls.push_back(Place("Frame2", K::Frame, "Frame1", 3840, 1440, 3375, 2295, -1));

  // Only what is true of this build: the product, its licence, the build's processor and
  // commit date, and a home page only where the builder gave one.
  const std::string date = BuildDate();
  const std::string lines[kCompanyLines] = {"Duskline",
                                            "Free software,",
                                            "MIT licence",
                                            BuildArchitecture() + " build",
                                            date.empty() ? "" : "of " + date,
                                            "",
                                            HomePage()};
  const int tops[kCompanyLines] = {240, 600, 840, 1200, 1440, 1680, 1920};
  for (int i = 0; i < kCompanyLines; ++i) {
    ControlLayout line =
        Place("lblCompany", K::Label, "Frame2", 120, tops[i], 3135, 255, -1, lines[i]);
    line.index = i;
    line.font = i == 0 ? Font{"Letter Gothic MT", 9, true} : Font{"Letter Gothic MT", 8.25, false};
    form.controls.push_back(std::move(line));
  }
  return form;
}

}  // namespace

const FormLayout& SplashLayout() {
  static const FormLayout layout = BuildSplashLayout();
  return layout;
}

frmSplash::frmSplash(Platform& platform) : platform_(platform) {}

frmSplash::~frmSplash() = default;

void frmSplash::Show() {
  if (!form_) {
    form_ = platform_.windows.CreateForm(SplashLayout());
    EventDispatcher& events = platform_.events;
    form_->Click = events.Wrap([this] { Form_Click(); });
    form_->KeyPress =
        events.Wrap(std::function<void(int)>([this](int key) { Form_KeyPress(key); }));
    form_->ControlNamed("Frame1").Click = events.Wrap([this] { Frame1_Click(); });
    form_->ControlNamed("Frame2").Click = events.Wrap([this] { Frame2_Click(); });
    form_->ControlNamed("Frame3").Click = events.Wrap([this] { Frame3_Click(); });
    form_->ControlNamed("imgLogo").Click = events.Wrap([this] { imgLogo_Click(); });
    form_->LabelNamed("lblCopyright").Click = events.Wrap([this] { lblCopyright_Click(); });
    form_->LabelNamed("lblPlatform").Click = events.Wrap([this] { lblPlatform_Click(); });
    form_->LabelNamed("lblProductName").Click = events.Wrap([this] { lblProductName_Click(); });
    form_->LabelNamed("lblVersion").Click = events.Wrap([this] { lblVersion_Click(); });
    for (int i = 0; i < kCompanyLines; ++i)
      form_->LabelNamed("lblCompany", i).Click = events.Wrap([this, i] { lblCompany_Click(i); });
    events.Raise([this] { Form_Load(); });
  }
  form_->Show();
}

void frmSplash::Form_Load() {
  const App& app = platform_.app;
  form_->LabelNamed("lblVersion")
      .SetCaption("Version " + std::to_string(app.Major()) + "." + std::to_string(app.Minor()) +
                  "." + std::to_string(app.Revision()));
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
