// What the end-to-end runs cannot see of the Win32 backend: a tray icon that comes back after
// Explorer restarts, its notification, forms laid out at the window's DPI, the day toggles, the
// wake from sleep, a set clock, a timer that may come late and the service's registration.
#include <gtest/gtest.h>

#include <algorithm>

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "platform/PixelLayout.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/Form_win.h"
#include "platform/win32/ServiceControl_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/TrayIcon_win.h"
#include "platform/win32/WindowSystem_win.h"
#include "scheduler/Main.h"
#include "support/ShownTexts.h"

// After the backend's headers, which keep MessageBox from being renamed.
#include <oleacc.h>
#undef MessageBox

namespace duskline::win32 {
namespace {

// Handles the messages that have come, after waiting up to `wait` ms for one.
void Pump(DWORD wait = 0) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
}

// A main window of its own for each test of the forms.
class MainForm : public testing::Test {
 protected:
  Win32WindowSystem windows{GetModuleHandleW(nullptr)};
  std::unique_ptr<Form> loaded = windows.CreateForm(MainLayout());
  Win32Form& form = static_cast<Win32Form&>(*loaded);
};

// Steps: A AddIcon, R RemoveIcon, T the shell's "TaskbarCreated"; a refused add answers FALSE.
TEST(TrayIcon, AShownIconComesBackAfterTaskbarCreated) {
  const std::tuple<std::string, int, std::vector<DWORD>> cases[] = {
      {"AT", 0, {NIM_ADD, NIM_SETVERSION, NIM_ADD, NIM_SETVERSION}},
      {"AAA", 1, {NIM_ADD, NIM_SETVERSION, NIM_ADD, NIM_SETVERSION}},
      {"T", 0, {}},
      {"ART", 0, {NIM_ADD, NIM_SETVERSION, NIM_DELETE}}};
  for (const auto& [steps, refusals, expected] : cases) {
    std::vector<DWORD> sent;
    int refused = refusals;
    TrayIconWindow tray(GetModuleHandleW(nullptr), [&](DWORD message, NOTIFYICONDATAW*) {
      sent.push_back(message);
      return message == NIM_ADD && refused-- > 0 ? FALSE : TRUE;
    });
    for (char step : steps) {
      if (step == 'A') tray.AddIcon();
      if (step == 'R') tray.RemoveIcon();
      if (step == 'T') SendMessageW(tray.Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
    EXPECT_EQ(sent, expected) << steps;
  }
}

// The warning: its notification a balloon from the shown icon only, keeping the icon's flags.
// Then the schedule check writes the animation's properties and reads Animating on every tick.
// The steps keep their pace all the same: one a second in the slow warning, four a second from
// the switch to the last minute on; and the writes of unchanged values cost no shell call.
TEST(TrayIcon, TheWarningsBalloonFromTheShownIconAndItsStepsAtTheirPace) {
  std::vector<std::wstring> modified;  // each NIM_MODIFY's flags and balloon
  TrayIconWindow tray(GetModuleHandleW(nullptr), [&](DWORD message, NOTIFYICONDATAW* data) {
    if (message == NIM_MODIFY) {
      modified.push_back(std::to_wstring(data->uFlags) + L" " + data->szInfoTitle + L": " +
                         data->szInfo);
    }
    return TRUE;
  });
  tray.ShowNotification("Duskline", "Shutdown at 22:30");
  tray.AddIcon();
  tray.ShowNotification("Duskline", "Shutdown at 22:30");
  const UINT flags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP | NIF_INFO;
  EXPECT_EQ(modified,
            std::vector<std::wstring>{std::to_wstring(flags) + L" Duskline: Shutdown at 22:30"});
  modified.clear();
  // Ticks every second for 4.5 s, pumping messages between them; returns the steps taken.
  auto stepsWhileTicking = [&](int16_t interval, int16_t mode, int32_t iconCode) {
    const uint32_t framesBefore = tray.Animation().frame;
    const ULONGLONG start = GetTickCount64(), end = start + 4500;
    for (ULONGLONG now = start, tick = start; now < end; now = GetTickCount64()) {
      if (now >= tick) {
        tray.SetAnimationInterval(interval);
        tray.SetAnimationMode(mode);
        if (!tray.Animating()) tray.ToggleAnimation();
        tray.SetIconCode(iconCode);
        tray.SetTipText("Shutdown at 22:30");
        tick += 1000;
      }
      Pump(static_cast<DWORD>(std::min(tick, end) - now));
    }
    return static_cast<int>(tray.Animation().frame - framesBefore);
  };
  // Restarting the timer with each write left the slow warning without a step, and the last
  // minute with three a second. Each step shows the other picture: one shell call a step, none
  // for the writes but the tooltip's first and the switch to the last minute's picture.
  const int slow = stepsWhileTicking(1000, 2, 99), slowModifies = int(modified.size());
  EXPECT_TRUE(slow >= 3 && slow <= 5 && slowModifies <= slow + 1) << slow << " " << slowModifies;
  const int fast = stepsWhileTicking(250, 3, 2), fastModifies = int(modified.size()) - slowModifies;
  EXPECT_TRUE(fast >= 16 && fast <= 19 && fastModifies <= fast + 1) << fast << " " << fastModifies;
}

TEST_F(MainForm, TheLayoutsTwipsBecomePixelsAtTheWindowsDpi) {
  RECT suggested{10, 10, 500, 500};  // moved to a monitor of 144 DPI
  SendMessageW(form.Window(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT client{}, button{};
  GetClientRect(form.Window(), &client);
  GetWindowRect(form.ChildHandle("cmdHide"), &button);
  MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(client.right, 326);  // 3255 twips
  EXPECT_EQ(button.left, 216);   // 2160 twips in Frame1
  EXPECT_EQ(button.top, 354);    // 3300 + 240
}

// As a screen reader finds them, through Active Accessibility: each field named by its label
// (the countdown's alert event the end-to-end run sees). Each text of a label, wrapped as the
// label wraps it, of a button and of a list fits its box at 96 and 144 dpi, in English and in
// German.
TEST_F(MainForm, FieldsNamedByLabelsThatFit) {
  CoInitialize(nullptr);
  // Wine's oleacc names no combo box (Windows names it by its label as it names an edit).
  for (const auto& [field, expected] : {std::pair{"txtTime", L"Shutdown at"},
                                        {"txtWait", L"Duration H:MM"},
                                        {"txtProgram", L"Program"}}) {
    IAccessible* object = nullptr;
    BSTR name = nullptr;
    VARIANT self{};  // CHILDID_SELF
    self.vt = VT_I4;
    ASSERT_EQ(AccessibleObjectFromWindow(form.ChildHandle(field), OBJID_CLIENT,
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
              S_OK);
    object->get_accName(self, &name);
    EXPECT_EQ(std::wstring(name ? name : L"(none)"), expected) << field;
    SysFreeString(name);
    object->Release();
  }
  HDC dc = GetDC(nullptr);
  for (const Language language : {Language::kEnglish, Language::kGerman}) {
    SetLanguage(language);
    for (const FormLayout* layout : {&MainLayout(), &AttentionLayout(), &SplashLayout()})
      for (const ControlLayout& control : layout->controls)
        for (const int dpi : {96, 144}) {
          if (control.kind > ControlKind::Toggle || control.autoSize) break;
          HGDIOBJ old = SelectObject(dc, CreateLayoutFont(control.font, dpi));
          PixelRect box = ControlPixels(*layout, control, dpi);
          // A button's frame and a list's arrow take their room.
          const bool label = control.kind == ControlKind::Label;
          if (!label) box.width -= (control.items.empty() ? 4 : 24) * dpi / 96;
          for (const std::string& text : ShownTexts(control)) {
            RECT needed{0, 0, box.width, 0};
            DrawTextW(dc, Wide(text).c_str(), -1, &needed,
                      DT_CALCRECT | (label ? DT_WORDBREAK : DT_SINGLELINE));
            EXPECT_TRUE(needed.right <= box.width && needed.bottom <= box.height)
                << text << " at " << dpi << ": " << needed.right << "x" << needed.bottom;
          }
          DeleteObject(SelectObject(dc, old));
        }
  }
  SetLanguage(Language::kEnglish);
  ReleaseDC(nullptr, dc);
}

// A day toggle: a push-like check box with a tab stop, in at first; the user's click flips it
// and raises Click, the program's change raises it once, and leaving it raises LostFocus.
TEST_F(MainForm, ATogglePressesAndTellsItsClicksAndItsLeaving) {
  Toggle& sunday = form.ToggleNamed("chkDay", 6);
  const HWND button = form.ChildHandle("chkDay", 6);
  EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & (WS_TABSTOP | BS_PUSHLIKE | BS_TYPEMASK),
            WS_TABSTOP | BS_PUSHLIKE | BS_AUTOCHECKBOX);
  int clicks = 0, left = 0;
  sunday.Click = [&] { ++clicks; };
  sunday.LostFocus = [&] { ++left; };
  form.Show();
  EXPECT_TRUE(sunday.Value());
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_FALSE(sunday.Value());
  sunday.SetValue(true);
  sunday.SetValue(true);
  EXPECT_TRUE(sunday.Value());
  EXPECT_EQ(clicks, 2);
  SetFocus(button);
  SetFocus(form.ChildHandle("txtTime"));
  Pump();
  EXPECT_EQ(left, 1);
}

// Only the resume that every wake sends is the event (the one after a user's wake is not a
// second), and a clock set is told. A timer with slack (a coalescable one where Windows has
// them) comes, and not before its time.
TEST_F(MainForm, WakingAndAClockSetAreToldOnceAndATimerWithSlackStillTicks) {
  int resumed = 0, changed = 0;
  form.SystemResumed = [&] { ++resumed; };
  form.ClockChanged = [&] { ++changed; };
  for (WPARAM event : {PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND})
    SendMessageW(form.Window(), WM_POWERBROADCAST, event, 0);
  SendMessageW(form.Window(), WM_TIMECHANGE, 0, 0);
  EXPECT_EQ(resumed, 1);
  EXPECT_EQ(changed, 1);

  Timer& timer = form.TimerNamed("tmrCheck");
  ULONGLONG ticked = 0;
  timer.Tick = [&] { ticked = GetTickCount64(); };
  timer.SetSlack(500);
  const ULONGLONG start = GetTickCount64();
  timer.SetInterval(300);
  while (!ticked && GetTickCount64() - start < 5000) Pump(100);
  EXPECT_GE(ticked - start, 280u) << "the tick count's own steps aside";
  EXPECT_LE(ticked - start, 2000u);
}

// -install's registration, which the end-to-end runs cannot make (Wine gives the user write
// access to every folder, which -install refuses): the quoted path, the event source's message
// file as REG_EXPAND_SZ, a restart 60 s after the first two crashes; -uninstall takes it away.
TEST(ServiceHost, InstallRegistersAQuotedPathAndARestartAfterACrash) {
  const auto value = [](const wchar_t* key, const wchar_t* name) {  // the type, then the data
    std::wstring data(256, L'\0');
    DWORD type = 0, size = 512;
    const LSTATUS read = RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND,
                                      &type, data.data(), &size);
    data.resize(size / 2);
    return read == ERROR_SUCCESS ? wchar_t(type) + data : L"";
  };
  ServiceHost host(GetModuleHandleW(nullptr));
  host.UninstallService();  // left by an interrupted run
  ASSERT_TRUE(host.InstallService());
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(value(kServiceKey, L"ImagePath").substr(1),
            L"\"" + std::wstring(program) + L"\"" + L'\0');
  EXPECT_EQ(value(kEventSourceKey, L"EventMessageFile"),
            wchar_t{REG_EXPAND_SZ} + std::wstring(program) + L'\0');
  const DWORD actions[] = {
      86400, 0, 0, 3, 20, SC_ACTION_RESTART, 60000, SC_ACTION_RESTART, 60000, SC_ACTION_NONE, 0};
  EXPECT_EQ(value(kServiceKey, L"FailureActions"),
            wchar_t{REG_BINARY} +
                std::wstring(reinterpret_cast<const wchar_t*>(actions), sizeof actions / 2));
  EXPECT_TRUE(host.UninstallService());
  EXPECT_EQ(value(kServiceKey, L"ImagePath"), L"");
}

}  // namespace
}  // namespace duskline::win32
