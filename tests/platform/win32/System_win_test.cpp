#include "platform/win32/System_win.h"

#include <gtest/gtest.h>

#include "TestForms_win.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/PixelLayout_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/WindowSystem_win.h"

namespace duskline::win32 {
namespace {

TEST(TwipsToPixels, EdgesAtTheDpi) {
  struct Case {
    int twips, dpi, pixels;
  } const cases[] = {{0, 96, 0},       {15, 96, 1},      {3255, 96, 217}, {2475, 96, 165},
                     {3255, 144, 326}, {1440, 120, 120}, {7, 96, 0},      {8, 96, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << "@" << c.dpi;
}

TEST(ControlPixels, NeighboursStayInOrderAndAContainerCycleEnds) {
  const FormLayout form = testing::ScheduleForm();
  EXPECT_EQ(ControlPixels(form, *form.Find("txtTime"), 96), (PixelRect{96, 56, 113, 19}));
  // Frame2 ends at 1695 twips where Frame1 starts at 1680: at 120 DPI the edges stay in order.
  const PixelRect upper = ControlPixels(form, *form.Find("Frame2"), 120);
  EXPECT_EQ(upper.top + upper.height, TwipsToPixels(1695, 120));
  EXPECT_EQ(ControlPixels(form, *form.Find("Frame1"), 120).top, TwipsToPixels(1680, 120));

  FormLayout cycle;
  testing::Add(cycle, ControlKind::Frame, "A", "A", 15, 15, 150, 150);
  EXPECT_GT(ControlPixels(cycle, cycle.controls.back(), 96).left, 0);
  EXPECT_GT(ContainerDepth(cycle, cycle.controls.back()), 0);
}

TEST(ArgumentsOf, TheTextAfterTheProgramsName) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"duskline.exe 07:30 1", L"07:30 1"},
      {L"\"C:\\Program Files\\duskline.exe\" 07:30 1", L"07:30 1"},
      {L"\"C:\\x y\\duskline.exe\"07:30 1", L"07:30 1"},
      {L"duskline.exe", L""},
      {L"duskline.exe   -debug ", L"-debug "},
      {L"duskline.exe\t\"a b\"  c", L"\"a b\"  c"},
      {L"", L""},
  };
  for (const auto& [line, arguments] : cases) EXPECT_EQ(ArgumentsOf(line), arguments);
  EXPECT_EQ(FolderOf(L"C:\\Tools\\duskline.exe"), L"C:\\Tools");
  EXPECT_EQ(FolderOf(L"C:\\duskline.exe"), L"C:\\");  // a drive's root keeps its backslash
  EXPECT_EQ(FolderOf(L"\\\\server\\share\\duskline.exe"), L"\\\\server\\share");
}

TEST(Win32App, VersionFromTheResourceAndFolderOfTheProgram) {
  Win32App app(GetModuleHandleW(nullptr));
  EXPECT_EQ(app.Title(), "Vesperon");
  EXPECT_EQ((std::vector<int>{app.Major(), app.Minor(), app.Revision()}),
            (std::vector<int>{1, 1, 0}));
  const std::string path = app.Path();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.back(), '\\');
  EXPECT_NE(GetFileAttributesA((path + "\\duskline_win32_tests.exe").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

TEST(Win32SystemApi, SetWindowPosPutsAWindowIntoTheTopmostBandAndBack) {
  Win32WindowSystem windows(GetModuleHandleW(nullptr));
  auto form = windows.CreateForm(testing::ScheduleForm());
  form->Show();
  const HWND window = reinterpret_cast<HWND>(form->Handle());
  RECT before{}, after{};
  GetWindowRect(window, &before);
  Win32SystemApi api;
  EXPECT_TRUE(api.SetWindowPos(form->Handle(), -1, 0, 0, 0, 0, 3));
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  GetWindowRect(window, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_TRUE(api.SetWindowPos(form->Handle(), -2, 0, 0, 0, 0, 3));
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(Win32SystemApi, ThePrivilegeStepsLeaveTheirErrorInTheLastErrorCode) {
  Win32SystemApi api;
  api.SetLastError(0);
  const std::intptr_t process = api.GetCurrentProcess();
  EXPECT_EQ(api.GetLastError(), 0u);
  std::intptr_t token = 0;
  EXPECT_TRUE(api.OpenProcessToken(process, 0x28, &token));
  TokenPrivileges state{1, 0, 2}, previous{};
  EXPECT_TRUE(api.LookupPrivilegeValueA("", "SeShutdownPrivilege", &state.luid));
  EXPECT_NE(state.luid, 0u);
  uint64_t luid = 0;
  EXPECT_FALSE(api.LookupPrivilegeValueA("", "SeNoSuchPrivilege", &luid));
  EXPECT_EQ(api.GetLastError(), static_cast<uint32_t>(ERROR_NO_SUCH_PRIVILEGE));

  // A claimed buffer larger than the record must not let the system write past it.
  uint32_t length = 0;
  api.SetLastError(12345);
  api.AdjustTokenPrivileges(token, false, state, 4096, &previous, &length);
  const uint32_t error = api.GetLastError();
  EXPECT_TRUE(error == 0 || error == ERROR_NOT_ALL_ASSIGNED) << error;
  CloseHandle(reinterpret_cast<HANDLE>(token));
}

int CALLBACK FirstFace(const LOGFONTW* found, const TEXTMETRICW*, DWORD, LPARAM face) {
  *reinterpret_cast<std::wstring*>(face) = found->lfFaceName;
  return 0;
}

TEST(Fonts, AMissingFaceFallsBackToTheMessageFontAndAnInstalledOneIsUsed) {
  EXPECT_EQ(FontFace("Letter Gothic MT No Such Face"), std::wstring(MessageFont(96).lfFaceName));
  LOGFONTW any{};
  any.lfCharSet = DEFAULT_CHARSET;
  std::wstring installed;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &any, FirstFace, reinterpret_cast<LPARAM>(&installed), 0);
  ReleaseDC(nullptr, screen);
  ASSERT_FALSE(installed.empty());
  EXPECT_EQ(FontFace(Narrow(installed)), installed);
  HFONT font = CreateLayoutFont(Font{"MS Sans Serif", 18, false}, 96);
  LOGFONTW info{};
  GetObjectW(font, sizeof info, &info);
  EXPECT_EQ(info.lfHeight, -24);
  DeleteObject(font);
}

TEST(Resources, TheLogoAndIconsAreThere) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  HBITMAP logo = static_cast<HBITMAP>(LoadImageW(instance, L"LOGO", IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(logo, nullptr);
  BITMAP info{};
  GetObjectW(logo, sizeof info, &info);
  EXPECT_EQ(std::pair(info.bmWidth, info.bmHeight), std::pair(1290L, 240L));
  DeleteObject(logo);
  for (const wchar_t* name : {L"APPICON", L"ATTENTION"}) {
    HICON icon = static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr) << name;
    if (icon) DestroyIcon(icon);
  }
}

}  // namespace
}  // namespace duskline::win32
