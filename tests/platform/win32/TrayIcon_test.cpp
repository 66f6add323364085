#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <stdexcept>
#include <vector>

#include "platform/win32/Controls_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/TrayIcon_win.h"

namespace duskline::win32 {
namespace {

using Messages = std::vector<DWORD>;
constexpr DWORD kAdd = NIM_ADD, kVersion = NIM_SETVERSION, kDelete = NIM_DELETE;

// A shell that records each message with a copy of its data. It answers the adds in turn from
// addAnswers_, then everything with answer_.
class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconWindow MakeTray() {
    return TrayIconWindow(GetModuleHandleW(nullptr), [this](DWORD message, NOTIFYICONDATAW* data) {
      calls_.push_back({message, *data});
      if (message != NIM_ADD || addAnswers_.empty()) return answer_;
      const BOOL answer = addAnswers_.front();
      addAnswers_.pop_front();
      return answer;
    });
  }

  Messages Sent() const {
    Messages messages;
    for (const auto& [message, data] : calls_) messages.push_back(message);
    return messages;
  }
  const NOTIFYICONDATAW& Last() const { return calls_.back().second; }

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
  std::deque<BOOL> addAnswers_;
  BOOL answer_ = TRUE;
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
  for (int16_t interval : {0, -1, -32768})
    EXPECT_EQ(TrayAnimation{interval}.TimerInterval(), UINT{USER_TIMER_MINIMUM}) << interval;
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
  for (size_t a = 0; a < looks.size(); ++a)
    for (size_t b = a + 1; b < looks.size(); ++b) EXPECT_NE(looks[a], looks[b]) << a << b;
}

TEST_F(TrayIconTest, TheAddCarriesIconAndTipAndTheDestructorRemovesAShownIcon) {
  {
    TrayIconWindow tray = MakeTray();
    tray.AddIcon();
    ASSERT_EQ(Sent(), (Messages{kAdd, kVersion}));
    const NOTIFYICONDATAW& added = calls_[0].second;
    EXPECT_EQ(added.hWnd, tray.Window());
    EXPECT_EQ(added.uFlags, UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP});
    EXPECT_NE(added.hIcon, nullptr);
    EXPECT_STREQ(added.szTip, L"Duskline");
    EXPECT_EQ(Last().uVersion, UINT{NOTIFYICON_VERSION_4});
  }
  EXPECT_EQ(Sent(), (Messages{kAdd, kVersion, kDelete}));
  calls_.clear();
  { TrayIconWindow hidden = MakeTray(); }
  EXPECT_TRUE(calls_.empty()) << "nothing to remove";
}

struct RefusalCase {
  std::string name;
  std::deque<BOOL> addAnswers;
  std::string steps;  // A AddIcon, R RemoveIcon, T TaskbarCreated
  Messages expected;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class TrayRefusalTest : public TrayIconTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(TrayRefusalTest, TheIconComesBackByTheNextAddOrByTaskbarCreated) {
  addAnswers_ = GetParam().addAnswers;
  TrayIconWindow tray = MakeTray();
  for (char step : GetParam().steps) {
    if (step == 'A') tray.AddIcon();
    if (step == 'R') tray.RemoveIcon();
    if (step == 'T') TaskbarCreated(tray);
  }
  EXPECT_EQ(Sent(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shell, TrayRefusalTest,
    ::testing::Values(
        RefusalCase{"AcceptedAddIsNotRepeated", {}, "AA", {kAdd, kVersion}},
        RefusalCase{"RemoveTwiceThenAdd", {}, "ARRA", {kAdd, kVersion, kDelete, kAdd, kVersion}},
        RefusalCase{"RefusedAddIsTriedAgain", {FALSE}, "AAA", {kAdd, kVersion, kAdd, kVersion}},
        RefusalCase{"TaskbarCreatedThenAdd",
                    {FALSE, FALSE},
                    "ATAA",
                    {kAdd, kVersion, kAdd, kVersion, kAdd, kVersion}},
        // The shell may have taken a timed-out add after all: the delete is sent regardless.
        RefusalCase{
            "RemoveAfterARefusedAdd", {FALSE}, "ARRA", {kAdd, kVersion, kDelete, kAdd, kVersion}},
        RefusalCase{"HiddenIconIgnoresTaskbarCreated", {}, "T", {}},
        RefusalCase{"RemovedIconIgnoresTaskbarCreated", {}, "ART", {kAdd, kVersion, kDelete}}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(TrayIconTest, TipTextUpdatesAShownIconAndIsCutToTheShellsLimit) {
  TrayIconWindow tray = MakeTray();
  tray.SetTipText("Shutdown at 22:30");
  EXPECT_TRUE(calls_.empty());
  tray.AddIcon();
  EXPECT_STREQ(calls_[0].second.szTip, L"Shutdown at 22:30");
  tray.SetTipText("Power Off at \xe9t\xe9");  // the program's code page, like every window
  ASSERT_EQ(calls_.back().first, DWORD{NIM_MODIFY});
  EXPECT_EQ(std::wstring(Last().szTip), Wide("Power Off at \xe9t\xe9"));
  tray.SetTipText(std::string(500, 'x'));
  EXPECT_EQ(std::wstring(Last().szTip), std::wstring(127, L'x'));
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
  ASSERT_EQ(Sent(), (Messages{NIM_MODIFY}));
  EXPECT_NE(Last().hIcon, still);
  Tick(tray);
  EXPECT_EQ(Last().hIcon, still);
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
    answer_ = c.version4;
    TrayIconWindow tray = MakeTray();
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

// Every operation of the program with a shell that says no to all of them, then a shell that
// says yes again after Explorer's restart.
TEST_F(TrayIconTest, AShellRefusingEverythingBreaksNothing) {
  answer_ = FALSE;
  TrayIconWindow tray = MakeTray();
  int activations = 0;
  tray.IconActivate = [&] { ++activations; };
  tray.SetTipText("Logoff at 07:30");
  tray.AddIcon();
  tray.SetAnimationInterval(250);
  tray.SetAnimationMode(3);
  tray.ToggleAnimation();
  tray.SetIconCode(2);
  for (int i = 0; i < 3; ++i) Tick(tray);
  EXPECT_TRUE(tray.Animating());
  EXPECT_EQ(tray.Animation().frame, 3u);
  EXPECT_EQ(std::ranges::count(Sent(), kAdd), 1);

  answer_ = TRUE;
  calls_.clear();
  TaskbarCreated(tray);
  tray.AddIcon();
  ASSERT_EQ(Sent(), (Messages{kAdd, kVersion})) << "added by the broadcast, not again by the add";
  EXPECT_STREQ(calls_[0].second.szTip, L"Logoff at 07:30");
  Callback(tray, NIN_SELECT);
  EXPECT_EQ(activations, 1);
  tray.RemoveIcon();
  EXPECT_TRUE(tray.Animating()) << "only ToggleAnimation stops it";
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
