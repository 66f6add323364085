// The tray-icon control against a shell that refuses: the icon comes back by the next add or
// by Explorer's TaskbarCreated, and nothing the program does with a refused icon fails.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/win32/TrayIcon_win.h"

namespace duskline::win32 {
namespace {

struct RefusalCase {
  std::string name;
  std::vector<BOOL> addAnswers;  // the shell's answers to the adds, in turn; then it accepts
  std::string steps;             // A AddIcon, R RemoveIcon, T TaskbarCreated
  std::vector<DWORD> expected;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class TrayRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(TrayRefusalTest, TheIconComesBackByTheNextAddOrByTaskbarCreated) {
  const RefusalCase& c = GetParam();
  std::deque<BOOL> answers(c.addAnswers.begin(), c.addAnswers.end());
  std::vector<DWORD> messages;
  TrayIconWindow tray(GetModuleHandleW(nullptr), [&](DWORD message, NOTIFYICONDATAW*) {
    messages.push_back(message);
    if (message != NIM_ADD || answers.empty()) return TRUE;
    const BOOL answer = answers.front();
    answers.pop_front();
    return answer;
  });
  for (char step : c.steps) {
    if (step == 'A') tray.AddIcon();
    if (step == 'R') tray.RemoveIcon();
    if (step == 'T') SendMessageW(tray.Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  }
  EXPECT_EQ(messages, c.expected);
}

constexpr DWORD kAdd = NIM_ADD, kVersion = NIM_SETVERSION, kDelete = NIM_DELETE;

INSTANTIATE_TEST_SUITE_P(
    Shell, TrayRefusalTest,
    testing::Values(
        RefusalCase{"AcceptedAddIsNotRepeated", {TRUE}, "AA", {kAdd, kVersion}},
        RefusalCase{"RefusedAddIsTriedAgain", {FALSE}, "AAA", {kAdd, kVersion, kAdd, kVersion}},
        RefusalCase{"TaskbarCreatedThenAdd",
                    {FALSE, FALSE},
                    "ATAA",
                    {kAdd, kVersion, kAdd, kVersion, kAdd, kVersion}},
        // The shell may have taken a timed-out add after all: the delete is sent regardless.
        RefusalCase{
            "RemoveAfterARefusedAdd", {FALSE}, "ARRA", {kAdd, kVersion, kDelete, kAdd, kVersion}},
        RefusalCase{"RemovedIconIgnoresTaskbarCreated", {TRUE}, "ART", {kAdd, kVersion, kDelete}}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

// Every operation of the program and every message the window gets, with a shell that says no
// to all of them, then a shell that says yes again.
TEST(TrayFaultTest, AShellRefusingEverythingBreaksNothing) {
  BOOL answer = FALSE;
  int adds = 0;
  TrayIconWindow tray(GetModuleHandleW(nullptr), [&](DWORD message, NOTIFYICONDATAW*) {
    if (message == NIM_ADD) ++adds;
    return answer;
  });
  int activations = 0;
  tray.IconActivate = [&] { ++activations; };
  tray.SetTipText("Shutdown at 22:30");
  tray.AddIcon();
  tray.SetAnimationInterval(250);
  tray.SetAnimationMode(3);
  tray.ToggleAnimation();
  tray.SetIconCode(2);
  for (int i = 0; i < 3; ++i) {
    SendMessageW(tray.Window(), WM_TIMER, TrayIconWindow::kTimerAnimation, 0);
  }
  EXPECT_TRUE(tray.Animating());
  EXPECT_EQ(tray.Animation().frame, 3u);
  EXPECT_EQ(adds, 1);

  answer = TRUE;  // Explorer is back
  SendMessageW(tray.Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  tray.AddIcon();
  EXPECT_EQ(adds, 2) << "added by the broadcast, not again by the add";
  SendMessageW(tray.Window(), TrayIconWindow::kCallbackMessage, 0,
               MAKELPARAM(NIN_SELECT, TrayIconWindow::kIconId));
  EXPECT_EQ(activations, 1);
  tray.RemoveIcon();
  EXPECT_TRUE(tray.Animating()) << "only ToggleAnimation stops it";
}

}  // namespace
}  // namespace duskline::win32
