// What the end-to-end runs cannot see of the Win32 backend: a tray icon that comes back after
// Explorer restarts, its notification, and forms laid out at the window's DPI.
#include <gtest/gtest.h>

#include "platform/win32/Form_win.h"
#include "platform/win32/TrayIcon_win.h"
#include "platform/win32/WindowSystem_win.h"
#include "scheduler/Main.h"

namespace duskline::win32 {
namespace {

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

// The warning's notification: a balloon from the shown icon only, keeping the icon's flags.
TEST(TrayIcon, TheNotificationIsABalloonFromTheShownIcon) {
  std::vector<std::wstring> sent;
  TrayIconWindow tray(GetModuleHandleW(nullptr), [&](DWORD message, NOTIFYICONDATAW* data) {
    if (message == NIM_MODIFY) {
      sent.push_back(std::to_wstring(data->uFlags) + L" " + data->szInfoTitle + L": " +
                     data->szInfo);
    }
    return TRUE;
  });
  tray.ShowNotification("Duskline", "Shutdown at 22:30");
  tray.AddIcon();
  tray.ShowNotification("Duskline", "Shutdown at 22:30");
  const UINT flags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP | NIF_INFO;
  EXPECT_EQ(sent,
            std::vector<std::wstring>{std::to_wstring(flags) + L" Duskline: Shutdown at 22:30"});
}

TEST(Form, TheLayoutsTwipsBecomePixelsAtTheWindowsDpi) {
  Win32WindowSystem windows(GetModuleHandleW(nullptr));
  std::unique_ptr<Form> loaded = windows.CreateForm(MainLayout());
  auto& form = static_cast<Win32Form&>(*loaded);
  RECT suggested{10, 10, 500, 500};  // moved to a monitor of 144 DPI
  SendMessageW(form.Window(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT client{}, button{};
  GetClientRect(form.Window(), &client);
  GetWindowRect(form.ChildHandle("cmdHide"), &button);
  MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(client.right, 326);  // 3255 twips
  EXPECT_EQ(button.left, 216);   // 2160 twips in Frame1
  EXPECT_EQ(button.top, 192);    // 1680 + 240
}

}  // namespace
}  // namespace duskline::win32
