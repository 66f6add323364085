// The windows' layouts as data.
#include <gtest/gtest.h>

#include <sstream>

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "scheduler/Main.h"

namespace duskline {
namespace {

// The windows' captions, icons, client sizes and frames, and their controls where they belong:
// element of a control array, container, position and size in twips, tab index where the
// control takes the focus and of the frames, font, whether it sizes itself to its text,
// alignment and colour, a toggle's text and whether it is in; Enter and Escape press one each
// of Hide and Close.
TEST(Layouts, EveryControlWhereItBelongs) {
  // clang-format off
  const std::pair<const FormLayout&, const char*> forms[] = {
      {MainLayout(), "Duskline[] 3255x4095 centred Label3 1635,420,1575,255 Frame2 0,600,3255,2715 "
          "[5] Label1(0) in Frame2 120,240,1215,255 txtTime in Frame2 1440,240,1695,285 [7] "
          "Label1(1) in Frame2 120,600,1215,255 cmbType in Frame2 1440,600,1695,315 [6] chkDay(0) "
          "in Frame2 120,1020,430,315 [11] Mon in chkDay(1) in Frame2 550,1020,430,315 [12] Tue in "
          "chkDay(2) in Frame2 980,1020,430,315 [13] Wed in chkDay(3) in Frame2 1410,1020,430,315 "
          "[14] Thu in chkDay(4) in Frame2 1840,1020,430,315 [15] Fri in chkDay(5) in Frame2 "
          "2270,1020,430,315 [16] Sat in chkDay(6) in Frame2 2700,1020,430,315 [17] Sun in Label2(0) "
          "in Frame2 120,1440,1215,255 cmbTrigger in Frame2 1440,1440,1695,315 [19] Label2(1) in "
          "Frame2 120,1860,1215,255 txtWait in Frame2 1440,1860,1695,285 [21] Label2(2) in Frame2 "
          "120,2280,1215,255 txtProgram in Frame2 1440,2280,1695,285 [23] Frame1 0,3300,3255,735 "
          "[1] cmdClose in Frame1 240,240,855,375 [4] cmdAbout in Frame1 "
          "1200,240,855,375 [2] cmdHide in Frame1 2160,240,855,375 [3] tmrAutoHide tmrCheck "
          "NTService1 SysTray "},
      {AttentionLayout(), "System Information[attention] 4680x2220 centred lblInfo "
          "240,120,4215,615 18 centre colour 255 lblTime 120,840,4455,495 13.5 centre cmdStop "
          "1005,1560,1215,495 [0] cmdPostpone 2460,1560,1215,495 [3] Timer1 "},
      {SplashLayout(), "[] 7380x3945 centred no box no taskbar Frame1 30,0,7305,3855 [-1] imgLogo "
          "in Frame1 40,120,7214,1305 Frame3 in Frame1 120,1440,3615,2295 [-1] lblProductName in "
          "Frame3 120,360,3375,375 15.75 lblPlatform in Frame3 120,840,3315,390 15.75 auto "
          "lblVersion in Frame3 120,1320,3255,300 12 auto lblCopyright in Frame3 120,1920,3375,255 "
          "9.75 bold centre Frame2 in Frame1 3840,1440,3375,2295 [-1] lblCompany(0) in Frame2 "
          "120,240,3135,255 9 bold lblCompany(1) in Frame2 120,600,3135,255 8.25 lblCompany(2) in "
          "Frame2 120,840,3135,255 8.25 lblCompany(3) in Frame2 120,1200,3135,255 8.25 "
          "lblCompany(4) in Frame2 120,1440,3135,255 8.25 lblCompany(5) in Frame2 "
          "120,1680,3135,255 8.25 lblCompany(6) in Frame2 120,1920,3135,255 8.25 "}};
  // clang-format on
  for (const auto& [form, expected] : forms) {
    std::ostringstream text;
    text << form.caption << "[" << form.icon << "] " << form.clientWidth << "x" << form.clientHeight
         << (form.centred ? " centred " : " ") << (form.controlBox ? "" : "no box ")
         << (form.showInTaskbar ? "" : "no taskbar ");
    for (const ControlLayout& c : form.controls) {
      text << c.name;
      if (c.index >= 0) text << "(" << c.index << ")";
      text << (c.container.empty() ? " " : " in " + c.container + " ");
      if (c.kind < ControlKind::Timer)
        text << c.left << "," << c.top << "," << c.width << "," << c.height << " ";
      if (c.kind >= ControlKind::Frame && c.kind <= ControlKind::Toggle)
        text << "[" << c.tabIndex << "] ";
      if (c.kind == ControlKind::Toggle) text << c.text << (c.pressed ? " in " : " out ");
      if (c.font) text << c.font->points << (c.font->bold ? " bold " : " ");
      if (c.autoSize) text << "auto ";
      if (c.alignment == Alignment::Centre) text << "centre ";
      if (c.foreColor) text << "colour " << *c.foreColor << " ";
    }
    EXPECT_EQ(text.str(), expected);
  }
  EXPECT_EQ(MainLayout().Find("cmbType")->items,
            (std::vector<std::string>{"Logoff", "Shutdown", "Power Off", "Restart", "Sleep",
                                      "Hibernate", "Lock"}));
  const ControlLayout &hide = *MainLayout().Find("cmdHide"),
                      &close = *MainLayout().Find("cmdClose");
  EXPECT_TRUE(hide.isDefault != close.isDefault && hide.isCancel != close.isCancel &&
              hide.isDefault != hide.isCancel);
  // A field is named by the label just before it; a button by its own text.
  EXPECT_EQ(LabelFor(MainLayout(), *MainLayout().Find("txtTime"))->text, "Shutdown at");
  EXPECT_EQ(LabelFor(MainLayout(), hide), nullptr);
}

}  // namespace
}  // namespace duskline
