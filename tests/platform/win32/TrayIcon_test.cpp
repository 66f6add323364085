#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/win32/Controls_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/TrayIcon_win.h"

namespace duskline::win32 {
namespace {

// What reached the shell: the message and a copy of the data handed with it.
struct ShellCall {
  DWORD message;
  NOTIFYICONDATAW data;
};

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconWindow MakeTray(BOOL shellResult = TRUE) {
    return TrayIconWindow(GetModuleHandleW(nullptr),
                          [this, shellResult](DWORD message, NOTIFYICONDATAW* data) {
                            calls_.push_back({message, *data});
                            return shellResult;
                          });
  }

  std::vector<DWORD> Messages() const {
    std::vector<DWORD> messages;
    for (const ShellCall& call : calls_) messages.push_back(call.message);
    return messages;
  }

  static void Callback(const TrayIconWindow& tray, UINT event) {
    SendMessageW(tray.Window(), TrayIconWindow::kCallbackMessage, 0,
                 MAKELPARAM(event, TrayIconWindow::kIconId));
  }

  static void Tick(const TrayIconWindow& tray) {
    SendMessageW(tray.Window(), WM_TIMER, TrayIconWindow::kTimerAnimation, 0);
  }

  std::vector<ShellCall> calls_;
};

TEST(TrayAnimationTest, PictureFollowsModeIconCodeAndFrame) {
  using P = TrayPicture;
  struct Case {
    int16_t mode;
    int32_t iconCode;
    bool running;
    uint32_t frame;
    TrayPicture expected;
  };
  const Case cases[] = {
      {2, 99, false, 1, P::kNormal},    {2, 2, false, 1, P::kWarning},
      {2, 99, true, 0, P::kNormal},     {2, 99, true, 1, P::kDuskGlow},
      {2, 99, true, 2, P::kNormal},     {3, 2, true, 0, P::kWarning},
      {3, 2, true, 1, P::kUrgentFlash}, {3, 99, true, 3, P::kUrgentFlash},
      {0, 99, true, 1, P::kNormal},     {7, 2, true, 1, P::kWarning},
      {2, 12345, false, 0, P::kNormal},
  };
  for (const Case& c : cases) {
    TrayAnimation animation;
    animation.mode = c.mode;
    animation.iconCode = c.iconCode;
    animation.running = c.running;
    animation.frame = c.frame;
    EXPECT_EQ(animation.Picture(), c.expected)
        << "mode " << c.mode << " code " << c.iconCode << " frame " << c.frame;
  }
}

TEST(TrayAnimationTest, TimerIntervalStaysWithinWhatSetTimerAccepts) {
  const std::pair<int16_t, UINT> cases[] = {{500, 500},
                                            {250, 250},
                                            {1000, 1000},
                                            {0, USER_TIMER_MINIMUM},
                                            {-1, USER_TIMER_MINIMUM},
                                            {-32768, USER_TIMER_MINIMUM},
                                            {32767, 32767}};
  for (const auto& [interval, expected] : cases) {
    TrayAnimation animation;
    animation.interval = interval;
    EXPECT_EQ(animation.TimerInterval(), expected) << interval;
  }
}

TEST(TrayPictureTest, EveryPictureDrawsAtBothSizesAndModesLookDifferent) {
  std::vector<std::vector<DWORD>> looks;
  for (int size : {16, 32}) {
    for (int i = 0; i < kTrayPictureCount; ++i) {
      HICON icon = DrawTrayPicture(static_cast<TrayPicture>(i), size);
      ASSERT_NE(icon, nullptr);
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bitmap{};
      GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
      EXPECT_EQ(bitmap.bmWidth, size);
      EXPECT_EQ(bitmap.bmHeight, size);
      if (size == 32) {
        std::vector<DWORD> pixels(32 * 32);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = 32;
        bi.bmiHeader.biHeight = -32;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, info.hbmColor, 0, 32, pixels.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        EXPECT_EQ(pixels[0] >> 24, 0u) << "corners are transparent";
        EXPECT_EQ(pixels[16 * 32 + 16] >> 24, 255u) << "the centre is opaque";
        looks.push_back(pixels);
      }
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
  for (size_t a = 0; a < looks.size(); ++a) {
    for (size_t b = a + 1; b < looks.size(); ++b) EXPECT_NE(looks[a], looks[b]) << a << "," << b;
  }
}

TEST_F(TrayIconTest, StartsOutOfTheTrayWithTheStoredSettings) {
  TrayIconWindow tray = MakeTray();
  EXPECT_TRUE(calls_.empty());
  EXPECT_FALSE(tray.IconShown());
  EXPECT_FALSE(tray.Animating());
  EXPECT_EQ(tray.Animation().interval, 500);
  EXPECT_EQ(tray.Animation().iconCode, 99);
  EXPECT_NE(tray.Window(), nullptr);
}

TEST_F(TrayIconTest, AddRemoveAndRemoveAgain) {
  TrayIconWindow tray = MakeTray();
  tray.AddIcon();
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
  const NOTIFYICONDATAW& added = calls_[0].data;
  EXPECT_EQ(added.hWnd, tray.Window());
  EXPECT_EQ(added.uID, TrayIconWindow::kIconId);
  EXPECT_EQ(added.uCallbackMessage, TrayIconWindow::kCallbackMessage);
  EXPECT_EQ(added.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP),
            UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP});
  EXPECT_NE(added.hIcon, nullptr);
  EXPECT_STREQ(added.szTip, L"Duskline");
  EXPECT_EQ(calls_[1].data.uVersion, UINT{NOTIFYICON_VERSION_4});

  tray.AddIcon();  // already there: the shell is not asked twice
  tray.RemoveIcon();
  tray.RemoveIcon();
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_DELETE}));
  EXPECT_FALSE(tray.IconShown());
}

TEST_F(TrayIconTest, DestructorRemovesOnlyAShownIcon) {
  { TrayIconWindow hidden = MakeTray(); }
  EXPECT_TRUE(calls_.empty());
  {
    TrayIconWindow shown = MakeTray();
    shown.AddIcon();
  }
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_DELETE}));
}

TEST_F(TrayIconTest, TipTextUpdatesAShownIconAndIsCutToTheShellsLimit) {
  TrayIconWindow tray = MakeTray();
  tray.SetTipText("Shutdown at 22:30");
  EXPECT_TRUE(calls_.empty()) << "nothing to update while the icon is out of the tray";
  tray.AddIcon();
  EXPECT_STREQ(calls_[0].data.szTip, L"Shutdown at 22:30");

  // Texts come in the program's code page, like those of every window.
  tray.SetTipText("Power Off at \xe9t\xe9");
  ASSERT_EQ(calls_.back().message, DWORD{NIM_MODIFY});
  EXPECT_EQ(std::wstring(calls_.back().data.szTip), Wide("Power Off at \xe9t\xe9"));

  tray.SetTipText(std::string(500, 'x'));
  const std::wstring tip = calls_.back().data.szTip;
  EXPECT_EQ(tip, std::wstring(127, L'x'));
  tray.SetTipText("");
  EXPECT_STREQ(calls_.back().data.szTip, L"");
}

TEST_F(TrayIconTest, OnlyToggleAnimationStartsAndStops) {
  TrayIconWindow tray = MakeTray();
  tray.SetAnimationInterval(1000);
  tray.SetAnimationMode(2);
  tray.SetIconCode(2);
  EXPECT_FALSE(tray.Animating());
  tray.ToggleAnimation();
  EXPECT_TRUE(tray.Animating());
  tray.SetAnimationInterval(250);
  tray.SetAnimationMode(3);
  tray.SetIconCode(99);
  EXPECT_TRUE(tray.Animating());
  EXPECT_EQ(tray.Animation().interval, 250);
  EXPECT_EQ(tray.Animation().mode, 3);
  tray.ToggleAnimation();
  EXPECT_FALSE(tray.Animating());
}

TEST_F(TrayIconTest, TimerTicksAdvanceTheFramesOfTheShownIcon) {
  TrayIconWindow tray = MakeTray();
  tray.SetAnimationMode(3);
  tray.SetIconCode(2);
  tray.AddIcon();
  const HICON still = calls_[0].data.hIcon;
  tray.ToggleAnimation();
  calls_.clear();

  Tick(tray);
  EXPECT_EQ(tray.Animation().frame, 1u);
  EXPECT_EQ(tray.Animation().Picture(), TrayPicture::kUrgentFlash);
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_NE(calls_[0].data.hIcon, still);
  Tick(tray);
  EXPECT_EQ(calls_.back().data.hIcon, still);

  // Stopping goes back to the still picture and a stray tick after the stop changes nothing.
  Tick(tray);
  tray.ToggleAnimation();
  EXPECT_EQ(calls_.back().data.hIcon, still);
  calls_.clear();
  EXPECT_EQ(tray.Animation().frame, 0u);
}

TEST_F(TrayIconTest, ModeAndIconCodeChangesRedrawARunningAnimation) {
  TrayIconWindow tray = MakeTray();
  tray.AddIcon();
  tray.ToggleAnimation();
  Tick(tray);
  EXPECT_EQ(tray.Animation().Picture(), TrayPicture::kDuskGlow);
  calls_.clear();
  tray.SetAnimationMode(3);
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_EQ(tray.Animation().Picture(), TrayPicture::kUrgentFlash);
  tray.SetAnimationMode(3);  // the same picture: the shell is not bothered
  EXPECT_EQ(calls_.size(), 1u);
}

TEST_F(TrayIconTest, RealTimerAdvancesFramesAndANewIntervalKeepsItRunning) {
  TrayIconWindow tray = MakeTray();
  tray.SetAnimationInterval(20);
  tray.ToggleAnimation();
  tray.SetAnimationInterval(10);  // replaces the running timer's interval
  const ULONGLONG deadline = GetTickCount64() + 5000;
  MSG message;
  while (tray.Animation().frame < 3 && GetTickCount64() < deadline) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    } else {
      Sleep(1);
    }
  }
  EXPECT_GE(tray.Animation().frame, 3u);
  tray.ToggleAnimation();
  const uint32_t frame = tray.Animation().frame;
  Sleep(60);
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_EQ(tray.Animation().frame, frame) << "the stopped timer sends no more ticks";
}

TEST_F(TrayIconTest, SelectAndKeySelectRaiseIconActivate) {
  TrayIconWindow tray = MakeTray();
  int raised = 0;
  tray.IconActivate = [&] { ++raised; };
  tray.AddIcon();
  Callback(tray, NIN_SELECT);
  Callback(tray, NIN_KEYSELECT);
  Callback(tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(raised, 3);
  for (UINT other : {UINT{WM_MOUSEMOVE}, UINT{WM_CONTEXTMENU}, UINT{WM_RBUTTONUP},
                     UINT{NIN_POPUPOPEN}, UINT{WM_LBUTTONUP}}) {
    Callback(tray, other);
  }
  EXPECT_EQ(raised, 3) << "with version 4 the button-up comes with a NIN_SELECT";
}

TEST_F(TrayIconTest, ButtonUpActivatesWhereTheShellRefusedVersion4) {
  TrayIconWindow tray = MakeTray(FALSE);
  int raised = 0;
  tray.IconActivate = [&] { ++raised; };
  tray.AddIcon();
  Callback(tray, WM_LBUTTONUP);
  EXPECT_EQ(raised, 1);
}

TEST_F(TrayIconTest, MessagesOfARemovedIconRaiseNothing) {
  TrayIconWindow tray = MakeTray();
  int raised = 0;
  tray.IconActivate = [&] {
    ++raised;
    tray.RemoveIcon();  // what the window's handler does
  };
  Callback(tray, NIN_SELECT);
  EXPECT_EQ(raised, 0);
  tray.AddIcon();
  Callback(tray, NIN_SELECT);
  Callback(tray, NIN_SELECT);  // the second click of a double click, already queued
  EXPECT_EQ(raised, 1);
}

TEST_F(TrayIconTest, NoExceptionLeavesTheWindowProcedure) {
  TrayIconWindow tray = MakeTray();
  tray.IconActivate = [] { throw std::runtime_error("handler failed"); };
  tray.AddIcon();
  Callback(tray, NIN_SELECT);  // reaching the next line is the test
  SUCCEED();
}

TEST_F(TrayIconTest, TaskbarCreatedPutsAShownIconBack) {
  TrayIconWindow tray = MakeTray();
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  SendMessageW(tray.Window(), taskbarCreated, 0, 0);
  EXPECT_TRUE(calls_.empty()) << "an icon out of the tray stays out";

  tray.SetTipText("Logoff at 07:30");
  tray.AddIcon();
  tray.ToggleAnimation();
  Tick(tray);
  calls_.clear();
  SendMessageW(tray.Window(), taskbarCreated, 0, 0);
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
  EXPECT_STREQ(calls_[0].data.szTip, L"Logoff at 07:30");
  EXPECT_TRUE(tray.Animating());
}

TEST_F(TrayIconTest, FailedAddIsMadeGoodWhenTheTaskbarAppears) {
  TrayIconWindow tray = MakeTray(FALSE);  // Explorer not running yet
  tray.AddIcon();
  EXPECT_TRUE(tray.IconShown());
  calls_.clear();
  SendMessageW(tray.Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
}

TEST(TrayIconSystemTest, RealShellAcceptsAddAndRemoveWithoutHarm) {
  auto tray = CreateTrayIcon(GetModuleHandleW(nullptr));
  tray->SetTipText("Duskline under test");
  tray->AddIcon();
  tray->ToggleAnimation();
  tray->RemoveIcon();
  tray->RemoveIcon();
  EXPECT_TRUE(tray->Animating());
}

}  // namespace
}  // namespace duskline::win32
