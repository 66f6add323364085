#include "platform/win32/Form_win.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "TestForms_win.h"
#include "platform/Events.h"
#include "platform/win32/PixelLayout_win.h"

namespace duskline::win32 {
namespace {

using namespace std::chrono_literals;
using testing::ErrorOf;
using testing::PassiveForm;
using testing::PumpFor;
using testing::PumpUntil;
using testing::ScheduleForm;
using Texts = std::vector<std::string>;

class FormTest : public ::testing::Test {
 protected:
  FormTest() : windows_(GetModuleHandleW(nullptr)) {
    windows_.SetLastResort(
        [this](const RuntimeError& error) { lastResort_.push_back(error.Number()); });
  }

  Win32Form& Load(const FormLayout& layout, bool shown = false) {
    forms_.push_back(windows_.CreateForm(layout));
    auto& form = static_cast<Win32Form&>(*forms_.back());
    if (shown) {
      form.Show();
      SetForegroundWindow(form.Window());
    }
    return form;
  }

  // Where the control sits in the form's client area, in pixels.
  static RECT ChildRect(Win32Form& form, const char* name) {
    RECT rect{};
    GetWindowRect(form.ChildHandle(name), &rect);
    MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  void Key(HWND window, UINT message, WPARAM key, LPARAM flags = 1) {
    MSG msg{window, message, key, flags, 0, {}};
    windows_.Dispatch(msg);
  }

  Win32WindowSystem windows_;
  std::vector<std::unique_ptr<Form>> forms_;
  std::vector<int> lastResort_;
};

TEST_F(FormTest, ChangeComesOnceForEachNewTextFromTheProgramOrTheUser) {
  Win32Form& form = Load(ScheduleForm());
  TextBox& box = form.TextBoxNamed("txtTime");
  Texts seen;
  box.Change = [&] { seen.push_back(box.Text()); };
  box.SetText("07:30");
  box.SetText("07:30");
  box.SetText("");
  SendMessageW(form.ChildHandle("txtTime"), WM_CHAR, L'7', 1);
  EXPECT_EQ(seen, (Texts{"07:30", "", "7"}));
}

TEST_F(FormTest, AnErrorOfChangeTravelsToTheCallerOfSetText) {
  Win32Form& form = Load(ScheduleForm());
  TextBox& box = form.TextBoxNamed("txtTime");
  box.Change = [] { Raise(kErrOverflow); };
  EXPECT_EQ(ErrorOf([&] { box.SetText("12:00"); }), kErrOverflow);
  EXPECT_EQ(box.Text(), "12:00");
  EXPECT_TRUE(lastResort_.empty());
  // The notification stays suppressed only while the program sets the text.
  int changes = 0;
  box.Change = [&] { ++changes; };
  SendMessageW(form.ChildHandle("txtTime"), WM_CHAR, L'1', 1);
  EXPECT_EQ(changes, 1);
}

TEST_F(FormTest, ClickComesForEachNewSelectionAndBadIndexesAreRefused) {
  Win32Form& form = Load(ScheduleForm());
  DropDownList& list = form.DropDownListNamed("cmbType");
  std::vector<int> clicks;
  list.Click = [&] { clicks.push_back(list.ListIndex()); };
  EXPECT_EQ(list.ListCount(), 3);
  EXPECT_EQ(list.List(3), "");
  EXPECT_EQ(list.ListIndex(), -1);
  list.SetListIndex(0);
  list.SetListIndex(0);
  for (int bad : {3, -2, 7, 99999})
    EXPECT_EQ(ErrorOf([&] { list.SetListIndex(bad); }), kErrInvalidPropertyValue) << bad;
  SendMessageW(form.ChildHandle("cmbType"), WM_KEYDOWN, VK_DOWN, 0);
  list.SetListIndex(-1);
  EXPECT_EQ(clicks, (std::vector<int>{0, 1, -1}));
}

TEST_F(FormTest, AnErrorOfAUserEventStopsAtTheWindowProcedureOrTheDispatcher) {
  Win32Form& form = Load(ScheduleForm());
  form.ControlNamed("cmdHide").Click = [] { Raise(kErrObjectNotSet); };
  form.ControlNamed("cmdClose").Click = [] { throw std::runtime_error("not ours"); };
  int reports = 0;
  EventDispatcher events([&](const RuntimeError&) { ++reports; });
  form.TextBoxNamed("txtTime").Change = events.Wrap([] { Raise(kErrInvalidPropertyValue); });
  SendMessageW(form.ChildHandle("cmdHide"), BM_CLICK, 0, 0);
  SendMessageW(form.ChildHandle("cmdClose"), BM_CLICK, 0, 0);
  SendMessageW(form.ChildHandle("txtTime"), WM_CHAR, L'9', 1);
  EXPECT_EQ(lastResort_, (std::vector<int>{kErrObjectNotSet, 51}));
  EXPECT_EQ(reports, 1);
}

TEST_F(FormTest, TimersTickWhileEnabledAndStopWhenDisabled) {
  Win32Form& form = Load(ScheduleForm());
  Timer& fast = form.TimerNamed("tmrFast");
  Timer& idle = form.TimerNamed("tmrIdle");
  int fastTicks = 0, idleTicks = 0;
  fast.Tick = [&] { ++fastTicks; };
  idle.Tick = [&] { ++idleTicks; };
  EXPECT_TRUE(PumpUntil(windows_, [&] { return fastTicks >= 3; }));
  EXPECT_EQ(idleTicks, 0);

  fast.SetEnabled(false);
  const int stopped = fastTicks;
  idle.SetEnabled(true);
  EXPECT_TRUE(PumpUntil(windows_, [&] { return idleTicks >= 2; }));
  EXPECT_EQ(fastTicks, stopped);

  idle.SetInterval(0);  // enabled, but a zero interval never fires
  const int idled = idleTicks;
  PumpFor(windows_, 300ms);
  EXPECT_EQ(idleTicks, idled);
  EXPECT_TRUE(idle.Enabled());
  EXPECT_THROW(idle.SetInterval(-1), RuntimeError);
  EXPECT_THROW(idle.SetInterval(65536), RuntimeError);
}

TEST_F(FormTest, ATickThatDisablesItsTimerIsTheLast) {
  Timer& fast = Load(ScheduleForm()).TimerNamed("tmrFast");
  int ticks = 0;
  fast.Tick = [&] {
    ++ticks;
    fast.SetEnabled(false);
  };
  PumpUntil(windows_, [&] { return ticks > 0; });
  PumpFor(windows_, 350ms);
  EXPECT_EQ(ticks, 1);
}

TEST_F(FormTest, LostFocusWhenTheFocusMovesToAnotherControlOfTheForm) {
  Win32Form& form = Load(ScheduleForm(), true);
  int timeLost = 0, typeLost = 0;
  form.TextBoxNamed("txtTime").LostFocus = [&] { ++timeLost; };
  form.DropDownListNamed("cmbType").LostFocus = [&] { ++typeLost; };
  SetFocus(form.ChildHandle("txtTime"));
  SetFocus(form.ChildHandle("cmbType"));
  PumpFor(windows_, 100ms);
  SetFocus(form.ChildHandle("cmdHide"));
  PumpFor(windows_, 100ms);
  EXPECT_EQ(typeLost, 1);
  // To a window outside the form: no LostFocus.
  Win32Form& other = Load(ScheduleForm(), true);
  SetFocus(form.ChildHandle("txtTime"));
  SetFocus(other.ChildHandle("txtTime"));
  PumpFor(windows_, 100ms);
  EXPECT_EQ(timeLost, 1);
}

TEST_F(FormTest, EnterEscapeAndTheMnemonicPressTheirButtons) {
  Win32Form& form = Load(ScheduleForm(), true);
  Texts clicks;
  form.ControlNamed("cmdHide").Click = [&] { clicks.push_back("hide"); };
  form.ControlNamed("cmdClose").Click = [&] { clicks.push_back("close"); };
  const HWND box = form.ChildHandle("txtTime");
  SetFocus(box);
  Key(box, WM_KEYDOWN, VK_RETURN);
  Key(box, WM_KEYDOWN, VK_ESCAPE);
  Key(box, WM_SYSCHAR, L'c', 1 << 29);  // Alt+C: "&Close"
  EXPECT_EQ(clicks, (Texts{"hide", "close", "close"}));
}

TEST_F(FormTest, TheTabOrderFollowsTheTabIndexes) {
  Win32Form& form = Load(ScheduleForm());
  std::vector<HWND> order;
  HWND at = GetNextDlgTabItem(form.Window(), nullptr, FALSE);
  for (int i = 0; i < 4 && at; ++i, at = GetNextDlgTabItem(form.Window(), at, FALSE))
    order.push_back(at);
  EXPECT_EQ(order, (std::vector<HWND>{form.ChildHandle("cmdHide"), form.ChildHandle("cmdClose"),
                                      form.ChildHandle("cmbType"), form.ChildHandle("txtTime")}));
}

TEST_F(FormTest, ClicksOnLabelsFramesImagesAndTheBareForm) {
  Win32Form& form = Load(PassiveForm());
  Texts clicks;
  form.Click = [&] { clicks.push_back("form"); };
  form.ControlNamed("Frame1").Click = [&] { clicks.push_back("frame"); };
  form.ControlNamed("imgLogo").Click = [&] { clicks.push_back("image"); };
  form.LabelNamed("lblInfo").Click = [&] { clicks.push_back("label"); };
  for (HWND target : {form.ChildHandle("lblInfo"), form.ChildHandle("imgLogo"),
                      form.ChildHandle("Frame1"), form.Window()}) {
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  }
  EXPECT_EQ(clicks, (Texts{"label", "image", "frame", "form"}));
}

TEST_F(FormTest, AFormWithoutFocusableControlsGetsTheKeys) {
  Win32Form& form = Load(PassiveForm(), true);
  std::vector<int> keys;
  form.KeyPress = [&](int key) { keys.push_back(key); };
  SetFocus(form.Window());
  for (WPARAM key : {WPARAM('A'), WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)})
    Key(form.Window(), WM_KEYDOWN, key);
  PumpFor(windows_, 100ms);
  EXPECT_EQ(keys, (std::vector<int>{'a', 13, 27}));
}

TEST_F(FormTest, ClosingTheWindowRaisesQueryUnloadOrHides) {
  Win32Form& withHandler = Load(ScheduleForm(), true);
  int asked = 0;
  withHandler.QueryUnload = [&] { ++asked; };
  SendMessageW(withHandler.Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(withHandler.Visible());

  Win32Form& plain = Load(ScheduleForm(), true);
  SendMessageW(plain.Window(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(plain.Visible());
  EXPECT_TRUE(IsWindow(plain.Window()));
}

TEST_F(FormTest, DestroyLaterWaitsForTheMessageLoop) {
  auto form = windows_.CreateForm(ScheduleForm());
  form->Show();
  const HWND window = reinterpret_cast<HWND>(form->Handle());
  windows_.DestroyLater(std::move(form));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(PumpUntil(windows_, [&] { return !IsWindow(window); }));
}

TEST_F(FormTest, TheClientAreaAndControlsAreTheLayoutsTwipsAtTheWindowsDpi) {
  Win32Form& form = Load(ScheduleForm());
  const int dpi = form.Dpi();
  RECT client{};
  GetClientRect(form.Window(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(3255, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(2475, dpi));
  EXPECT_EQ(ChildRect(form, "txtTime").left, TwipsToPixels(1440, dpi));
  EXPECT_EQ(ChildRect(form, "txtTime").top, TwipsToPixels(840, dpi));  // 600 + 240, in Frame2

  RECT suggested{10, 10, 500, 500};  // moved to a monitor of 144 DPI
  SendMessageW(form.Window(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  GetClientRect(form.Window(), &client);
  EXPECT_EQ(client.right, 326);
  EXPECT_EQ(client.bottom, 248);
  EXPECT_EQ(ChildRect(form, "cmdHide").left, 216);
  EXPECT_EQ(ChildRect(form, "cmdHide").top, 192);  // 1680 + 240, in Frame1
}

TEST_F(FormTest, AnAutoSizedLabelGrowsToItsCaption) {
  Win32Form& form = Load(PassiveForm());
  const RECT before = ChildRect(form, "lblVersion");
  form.LabelNamed("lblVersion").SetCaption("Version 1.1.0");
  const RECT after = ChildRect(form, "lblVersion");
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.left, before.left);
}

TEST_F(FormTest, AskingForAControlTheLayoutLacksIsAnError) {
  Win32Form& form = Load(ScheduleForm());
  EXPECT_THROW(form.TextBoxNamed("cmbType"), RuntimeError);
  EXPECT_THROW(form.LabelNamed("lblWeb", 3), RuntimeError);
  EXPECT_THROW(form.TimerNamed("tmrNone"), RuntimeError);
}

}  // namespace
}  // namespace duskline::win32
