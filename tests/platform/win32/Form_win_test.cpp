#include "platform/win32/Form_win.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "TestForms_win.h"
#include "platform/Events.h"
#include "platform/win32/PixelLayout_win.h"

namespace duskline::win32 {
namespace {

using namespace std::chrono_literals;
using testing::PassiveForm;
using testing::PumpFor;
using testing::PumpUntil;
using testing::ScheduleForm;

class FormTest : public ::testing::Test {
 protected:
  FormTest() : windows_(GetModuleHandleW(nullptr)) {
    windows_.SetLastResort(
        [this](const RuntimeError& error) { lastResort_.push_back(error.Number()); });
  }

  Win32Form& Load(const FormLayout& layout) {
    forms_.push_back(windows_.CreateForm(layout));
    return static_cast<Win32Form&>(*forms_.back());
  }

  Win32WindowSystem windows_;
  std::vector<std::unique_ptr<Form>> forms_;
  std::vector<int> lastResort_;
};

TEST_F(FormTest, TheProgramsTextChangeRaisesChangeOnceAndTheSameTextNone) {
  Win32Form& form = Load(ScheduleForm());
  TextBox& box = form.TextBoxNamed("txtTime");
  std::vector<std::string> seen;
  box.Change = [&] { seen.push_back(box.Text()); };

  box.SetText("07:30");
  box.SetText("07:30");
  box.SetText("");
  EXPECT_EQ(seen, (std::vector<std::string>{"07:30", ""}));
}

TEST_F(FormTest, TheUsersTypingRaisesChange) {
  Win32Form& form = Load(ScheduleForm());
  TextBox& box = form.TextBoxNamed("txtTime");
  int changes = 0;
  box.Change = [&] { ++changes; };
  SendMessageW(form.ChildHandle("txtTime"), WM_CHAR, L'7', 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(box.Text(), "7");
}

TEST_F(FormTest, AnErrorOfChangeTravelsToTheCallerOfSetText) {
  Win32Form& form = Load(ScheduleForm());
  TextBox& box = form.TextBoxNamed("txtTime");
  box.Change = [] { Raise(kErrOverflow); };
  try {
    box.SetText("12:00");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), kErrOverflow);
  }
  EXPECT_EQ(box.Text(), "12:00");
  EXPECT_TRUE(lastResort_.empty());
  // The notification stays suppressed only while the program sets the text.
  box.Change = nullptr;
  int changes = 0;
  box.Change = [&] { ++changes; };
  SendMessageW(form.ChildHandle("txtTime"), WM_CHAR, L'1', 1);
  EXPECT_EQ(changes, 1);
}

TEST_F(FormTest, TheProgramsSelectionRaisesClickWhenNewAndRefusesBadIndexes) {
  Win32Form& form = Load(ScheduleForm());
  DropDownList& list = form.DropDownListNamed("cmbType");
  std::vector<int> clicks;
  list.Click = [&] { clicks.push_back(list.ListIndex()); };

  EXPECT_EQ(list.ListCount(), 3);
  EXPECT_EQ(list.List(2), "Power Off");
  EXPECT_EQ(list.List(3), "");
  EXPECT_EQ(list.ListIndex(), -1);
  list.SetListIndex(2);
  list.SetListIndex(2);
  for (int bad : {3, -2, 7, 99999}) {
    try {
      list.SetListIndex(bad);
      ADD_FAILURE() << bad << " accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), kErrInvalidPropertyValue) << bad;
    }
  }
  EXPECT_EQ(list.ListIndex(), 2);
  list.SetListIndex(-1);
  EXPECT_EQ(clicks, (std::vector<int>{2, -1}));
}

TEST_F(FormTest, TheUsersSelectionRaisesClick) {
  Win32Form& form = Load(ScheduleForm());
  DropDownList& list = form.DropDownListNamed("cmbType");
  list.SetListIndex(0);
  std::vector<int> clicks;
  list.Click = [&] { clicks.push_back(list.ListIndex()); };
  SendMessageW(form.ChildHandle("cmbType"), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(clicks, std::vector<int>{1});
}

TEST_F(FormTest, AnErrorOfAUserEventStopsAtTheWindowProcedure) {
  Win32Form& form = Load(ScheduleForm());
  form.ControlNamed("cmdHide").Click = [] { Raise(kErrObjectNotSet); };
  form.ControlNamed("cmdClose").Click = [] { throw std::runtime_error("not ours"); };
  SendMessageW(form.ChildHandle("cmdHide"), BM_CLICK, 0, 0);
  SendMessageW(form.ChildHandle("cmdClose"), BM_CLICK, 0, 0);
  EXPECT_EQ(lastResort_, (std::vector<int>{kErrObjectNotSet, 51}));
}

TEST_F(FormTest, TheDispatcherReportsAUserEventsErrorOnce) {
  std::vector<std::string> reports;
  EventDispatcher events([&](const RuntimeError& error) { reports.push_back(ErrorReport(error)); });
  Win32Form& form = Load(ScheduleForm());
  TextBox& box = form.TextBoxNamed("txtTime");
  box.Change = events.Wrap([] { Raise(kErrInvalidPropertyValue); });
  SendMessageW(form.ChildHandle("txtTime"), WM_CHAR, L'9', 1);
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_TRUE(lastResort_.empty());
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
  Win32Form& form = Load(ScheduleForm());
  Timer& fast = form.TimerNamed("tmrFast");
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
  Win32Form& form = Load(ScheduleForm());
  form.Show();
  SetForegroundWindow(form.Window());
  int timeLost = 0, typeLost = 0;
  form.TextBoxNamed("txtTime").LostFocus = [&] { ++timeLost; };
  form.DropDownListNamed("cmbType").LostFocus = [&] { ++typeLost; };

  SetFocus(form.ChildHandle("txtTime"));
  SetFocus(form.ChildHandle("cmbType"));
  PumpFor(windows_, 100ms);
  EXPECT_EQ(timeLost, 1);
  SetFocus(form.ChildHandle("cmdHide"));
  PumpFor(windows_, 100ms);
  EXPECT_EQ(typeLost, 1);

  // To a window outside the form: no LostFocus.
  Win32Form& other = Load(ScheduleForm());
  other.Show();
  SetFocus(form.ChildHandle("txtTime"));
  SetFocus(other.ChildHandle("txtTime"));
  PumpFor(windows_, 100ms);
  EXPECT_EQ(timeLost, 1);
}

TEST_F(FormTest, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
  Win32Form& form = Load(ScheduleForm());
  form.Show();
  SetForegroundWindow(form.Window());
  std::vector<std::string> clicks;
  form.ControlNamed("cmdHide").Click = [&] { clicks.push_back("hide"); };
  form.ControlNamed("cmdClose").Click = [&] { clicks.push_back("close"); };
  const HWND box = form.ChildHandle("txtTime");
  SetFocus(box);
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    MSG message{box, WM_KEYDOWN, key, 1, 0, {}};
    windows_.Dispatch(message);
  }
  // Alt+C: the mnemonic of "&Close".
  MSG alt{box, WM_SYSCHAR, L'c', 1 << 29, 0, {}};
  windows_.Dispatch(alt);
  EXPECT_EQ(clicks, (std::vector<std::string>{"hide", "close", "close"}));
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
  std::vector<std::string> clicks;
  form.Click = [&] { clicks.push_back("form"); };
  form.ControlNamed("Frame1").Click = [&] { clicks.push_back("frame"); };
  form.ControlNamed("imgLogo").Click = [&] { clicks.push_back("image"); };
  form.LabelNamed("lblInfo").Click = [&] { clicks.push_back("label"); };
  for (HWND target : {form.ChildHandle("lblInfo"), form.ChildHandle("imgLogo"),
                      form.ChildHandle("Frame1"), form.Window()}) {
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  }
  EXPECT_EQ(clicks, (std::vector<std::string>{"label", "image", "frame", "form"}));
}

TEST_F(FormTest, AFormWithoutFocusableControlsGetsTheKeys) {
  Win32Form& form = Load(PassiveForm());
  EXPECT_FALSE(form.UsesDialogKeys());
  std::vector<int> keys;
  form.KeyPress = [&](int key) { keys.push_back(key); };
  form.Show();
  SetForegroundWindow(form.Window());
  SetFocus(form.Window());
  for (WPARAM key : {WPARAM('A'), WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)}) {
    MSG down{form.Window(), WM_KEYDOWN, key, 1, 0, {}};
    windows_.Dispatch(down);
  }
  PumpFor(windows_, 100ms);
  EXPECT_EQ(keys, (std::vector<int>{'a', 13, 27}));
}

TEST_F(FormTest, ClosingTheWindowRaisesQueryUnloadOrHides) {
  Win32Form& withHandler = Load(ScheduleForm());
  int asked = 0;
  withHandler.QueryUnload = [&] { ++asked; };
  withHandler.Show();
  SendMessageW(withHandler.Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(withHandler.Visible());

  Win32Form& plain = Load(ScheduleForm());
  plain.Show();
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
  RECT box{};
  GetWindowRect(form.ChildHandle("txtTime"), &box);
  MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.left, TwipsToPixels(1440, dpi));
  EXPECT_EQ(box.top, TwipsToPixels(840, dpi));

  // Moved to a monitor of 144 DPI: everything one and a half times as large.
  RECT suggested{10, 10, 500, 500};
  SendMessageW(form.Window(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  GetClientRect(form.Window(), &client);
  EXPECT_EQ(client.right, 326);
  EXPECT_EQ(client.bottom, 248);
  GetWindowRect(form.ChildHandle("cmdHide"), &box);
  MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.left, 216);  // 2160 twips inside the frame
  EXPECT_EQ(box.top, 192);   // 1680 + 240 twips
}

TEST_F(FormTest, AnAutoSizedLabelFitsItsCaption) {
  Win32Form& form = Load(PassiveForm());
  Label& version = form.LabelNamed("lblVersion");
  RECT before{}, after{};
  GetWindowRect(form.ChildHandle("lblVersion"), &before);
  version.SetCaption("Version 1.1.0");
  GetWindowRect(form.ChildHandle("lblVersion"), &after);
  EXPECT_EQ(version.Caption(), "Version 1.1.0");
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.left, before.left);
}

TEST_F(FormTest, AskingForAControlTheLayoutLacksIsAnError) {
  Win32Form& form = Load(ScheduleForm());
  EXPECT_THROW(form.TextBoxNamed("cmbType"), RuntimeError);
  EXPECT_THROW(form.LabelNamed("lblWeb", 3), RuntimeError);
  EXPECT_THROW(form.TimerNamed("tmrNone"), RuntimeError);
  EXPECT_NO_THROW(form.LabelNamed("lblWeb"));
}

}  // namespace
}  // namespace duskline::win32
