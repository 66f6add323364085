#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/win32/Controls_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/TrayIcon_win.h"

namespace duskline::win32 {
namespace {

// Records what reaches the shell: each message with a copy of the data handed with it.
class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconWindow MakeTray(BOOL shellResult = TRUE) {
    return TrayIconWindow(GetModuleHandleW(nullptr),
                          [=, this](DWORD message, NOTIFYICONDATAW* data) {
                            calls_.push_back({message, *data});
                            return shellResult;
                          });
  }

  std::vector<DWORD> Messages() const {
    std::vector<DWORD> messages;
    for (const auto& [message, data] : calls_) messages.push_back(message);
    return messages;
  }

  static void Callback(const TrayIconWindow& tray, UINT event) {
    SendMessageW(tray.Window(), TrayIconWindow::kCallbackMessage, 0,
                 MAKELPARAM(event, TrayIconWindow::kIconId));
  }
  static void Tick(const TrayIconWindow& tray) {
    SendMessageW(tray.Window(), WM_TIMER, TrayIconWindow::kTimerAnimation, 0);
  }
  static void TaskbarCreated(const TrayIconWindow& tray) {
    SendMessageW(tray.Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  }

  std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls_;
  const std::vector<DWORD> kAdded{NIM_ADD, NIM_SETVERSION};
};

TEST(TrayAnimationTest, PictureFollowsModeIconCodeAndFrame) {
  using P = TrayPicture;
  struct Case {
    int16_t mode;
    int32_t iconCode;
    bool running;
    uint32_t frame;
    P expected;
  } const cases[] = {
      {2, 99, false, 1, P::kNormal},  {2, 2, false, 1, P::kWarning},
      {2, 99, true, 1, P::kDuskGlow}, {2, 99, true, 2, P::kNormal},
      {3, 2, true, 0, P::kWarning},   {3, 2, true, 1, P::kUrgentFlash},
      {7, 2, true, 1, P::kWarning},   {2, 12345, false, 0, P::kNormal},
  };
  for (const Case& c : cases) {
    const TrayAnimation animation{500, c.mode, c.iconCode, c.running, c.frame};
    EXPECT_EQ(animation.Picture(), c.expected) << c.mode << " " << c.iconCode << " " << c.frame;
  }
  // Zero or a negative interval would make a busy timer or one of fifty days.
  for (int16_t interval : {0, -1, -32768}) {
    EXPECT_EQ(TrayAnimation{interval}.TimerInterval(), UINT{USER_TIMER_MINIMUM}) << interval;
  }
}

TEST(TrayPictureTest, PicturesDrawAtBothSizesAndLookDifferent) {
  std::vector<std::vector<DWORD>> looks;
  for (int i = 0; i < kTrayPictureCount; ++i) {
    for (int size : {16, 32}) {
      HICON icon = DrawTrayPicture(static_cast<TrayPicture>(i), size);
      ICONINFO info{};
      ASSERT_TRUE(icon != nullptr && GetIconInfo(icon, &info));
      BITMAPINFO bi{};
      bi.bmiHeader = {sizeof bi.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
      std::vector<DWORD> pixels(static_cast<size_t>(size * size));
      HDC dc = GetDC(nullptr);
      EXPECT_EQ(GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &bi, DIB_RGB_COLORS), size);
      ReleaseDC(nullptr, dc);
      EXPECT_EQ(pixels.front() >> 24, 0u) << "transparent corner";
      EXPECT_EQ(pixels[pixels.size() / 2 + size / 2] >> 24, 255u) << "opaque centre";
      if (size == 32) looks.push_back(pixels);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
  for (size_t a = 0; a < looks.size(); ++a) {
    for (size_t b = a + 1; b < looks.size(); ++b) EXPECT_NE(looks[a], looks[b]) << a << b;
  }
}

TEST_F(TrayIconTest, AddRemoveRemoveAgainAndTheDestructor) {
  {
    TrayIconWindow tray = MakeTray();
    EXPECT_EQ(tray.Animation().interval, 500);
    EXPECT_EQ(tray.Animation().iconCode, 99);
    tray.AddIcon();
    tray.AddIcon();  // already there: the shell is not asked twice
    ASSERT_EQ(Messages(), kAdded);
    const NOTIFYICONDATAW& added = calls_[0].second;
    EXPECT_EQ(added.hWnd, tray.Window());
    EXPECT_EQ(added.uFlags, UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP});
    EXPECT_NE(added.hIcon, nullptr);
    EXPECT_STREQ(added.szTip, L"Duskline");
    EXPECT_EQ(calls_[1].second.uVersion, UINT{NOTIFYICON_VERSION_4});
    tray.RemoveIcon();
    tray.RemoveIcon();
    tray.AddIcon();
  }
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_DELETE, NIM_ADD,
                                            NIM_SETVERSION, NIM_DELETE}));
  calls_.clear();
  { TrayIconWindow hidden = MakeTray(); }
  EXPECT_TRUE(calls_.empty()) << "nothing to remove";
}

TEST_F(TrayIconTest, TipTextUpdatesAShownIconAndIsCutToTheShellsLimit) {
  TrayIconWindow tray = MakeTray();
  tray.SetTipText("Shutdown at 22:30");
  EXPECT_TRUE(calls_.empty());
  tray.AddIcon();
  EXPECT_STREQ(calls_[0].second.szTip, L"Shutdown at 22:30");
  tray.SetTipText("Power Off at \xe9t\xe9");  // the program's code page, like every window
  ASSERT_EQ(calls_.back().first, DWORD{NIM_MODIFY});
  EXPECT_EQ(std::wstring(calls_.back().second.szTip), Wide("Power Off at \xe9t\xe9"));
  tray.SetTipText(std::string(500, 'x'));
  EXPECT_EQ(std::wstring(calls_.back().second.szTip), std::wstring(127, L'x'));
}

TEST_F(TrayIconTest, OnlyToggleAnimationStartsAndStopsAndTicksAdvanceFrames) {
  TrayIconWindow tray = MakeTray();
  tray.SetAnimationMode(3);
  tray.SetIconCode(2);
  tray.SetAnimationInterval(250);
  EXPECT_FALSE(tray.Animating());
  tray.AddIcon();
  const HICON still = calls_[0].second.hIcon;
  tray.ToggleAnimation();
  calls_.clear();
  Tick(tray);
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_NE(calls_.back().second.hIcon, still);
  Tick(tray);
  EXPECT_EQ(calls_.back().second.hIcon, still);
  Tick(tray);
  tray.SetAnimationMode(2);  // a new look at once, still running
  tray.SetIconCode(99);
  tray.SetAnimationInterval(1000);
  EXPECT_TRUE(tray.Animating());
  EXPECT_EQ(tray.Animation().Picture(), TrayPicture::kDuskGlow);
  tray.ToggleAnimation();
  EXPECT_FALSE(tray.Animating());
  EXPECT_EQ(tray.Animation().Picture(), TrayPicture::kNormal);
}

TEST_F(TrayIconTest, TheTimerRunsAtANewIntervalAndStopsWithTheAnimation) {
  TrayIconWindow tray = MakeTray();
  tray.SetAnimationInterval(30000);
  tray.ToggleAnimation();
  tray.SetAnimationInterval(10);  // replaces the running timer's interval
  const ULONGLONG deadline = GetTickCount64() + 5000;
  MSG message;
  while (tray.Animation().frame < 3 && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  EXPECT_GE(tray.Animation().frame, 3u);
  tray.ToggleAnimation();
  Sleep(50);
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_EQ(tray.Animation().frame, 0u) << "no tick after the stop";
}

TEST_F(TrayIconTest, WhichShellEventsActivate) {
  struct Case {
    UINT event;
    BOOL version4;
    int raised;
  } const cases[] = {
      {NIN_SELECT, TRUE, 1},    {NIN_KEYSELECT, TRUE, 1}, {WM_LBUTTONDBLCLK, TRUE, 1},
      {WM_LBUTTONUP, TRUE, 0},  // comes with a NIN_SELECT: not twice
      {WM_LBUTTONUP, FALSE, 1}, {WM_MOUSEMOVE, TRUE, 0},  {WM_CONTEXTMENU, TRUE, 0},
  };
  for (const Case& c : cases) {
    TrayIconWindow tray = MakeTray(c.version4);
    int raised = 0;
    tray.IconActivate = [&] { ++raised; };
    tray.AddIcon();
    Callback(tray, c.event);
    EXPECT_EQ(raised, c.raised) << std::hex << c.event << " version 4: " << c.version4;
  }
}

TEST_F(TrayIconTest, MessagesOfARemovedIconRaiseNothingAndNoExceptionLeaves) {
  TrayIconWindow tray = MakeTray();
  int raised = 0;
  tray.IconActivate = [&] {
    ++raised;
    tray.RemoveIcon();  // what the window's handler does
  };
  Callback(tray, NIN_SELECT);
  tray.AddIcon();
  Callback(tray, NIN_SELECT);
  Callback(tray, NIN_SELECT);  // the second click of a double click, already queued
  EXPECT_EQ(raised, 1);
  tray.IconActivate = [] { throw std::runtime_error("handler failed"); };
  tray.AddIcon();
  Callback(tray, NIN_SELECT);  // getting past this line is the test
}

TEST_F(TrayIconTest, TaskbarCreatedPutsAShownIconBackEvenAfterAFailedAdd) {
  TrayIconWindow tray = MakeTray(FALSE);  // Explorer not running yet
  TaskbarCreated(tray);
  EXPECT_TRUE(calls_.empty()) << "an icon out of the tray stays out";
  tray.SetTipText("Logoff at 07:30");
  tray.AddIcon();
  tray.ToggleAnimation();
  calls_.clear();
  TaskbarCreated(tray);
  ASSERT_EQ(Messages(), kAdded);
  EXPECT_STREQ(calls_[0].second.szTip, L"Logoff at 07:30");
  EXPECT_TRUE(tray.Animating());
}

TEST(TrayIconSystemTest, TheRealShellTakesAddAndRemove) {
  auto tray = CreateTrayIcon(GetModuleHandleW(nullptr));
  tray->AddIcon();
  tray->ToggleAnimation();
  tray->RemoveIcon();
  tray->RemoveIcon();
  EXPECT_TRUE(tray->Animating());
}

}  // namespace
}  // namespace duskline::win32
