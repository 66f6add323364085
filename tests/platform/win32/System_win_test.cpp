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

TEST(ControlPixels, AddsTheContainersAndKeepsNeighboursTouching) {
  const FormLayout form = testing::ScheduleForm();
  EXPECT_EQ(ControlPixels(form, *form.Find("Frame2"), 96), (PixelRect{0, 40, 217, 73}));
  EXPECT_EQ(ControlPixels(form, *form.Find("txtTime"), 96), (PixelRect{96, 56, 113, 19}));
  EXPECT_EQ(ControlPixels(form, *form.Find("cmdHide"), 96), (PixelRect{144, 128, 57, 25}));
  // Frame2 ends at 1695 twips where Frame1 starts at 1680: at 120 DPI the edges stay in order.
  const PixelRect upper = ControlPixels(form, *form.Find("Frame2"), 120);
  const PixelRect lower = ControlPixels(form, *form.Find("Frame1"), 120);
  EXPECT_EQ(upper.top + upper.height, TwipsToPixels(1695, 120));
  EXPECT_EQ(lower.top, TwipsToPixels(1680, 120));
}

TEST(ControlPixels, SurvivesAContainerCycle) {
  FormLayout form;
  form.controls.push_back(testing::Make(ControlKind::Frame, "A", 15, 15, 150, 150));
  form.controls.back().container = "A";
  const PixelRect rect = ControlPixels(form, form.controls.back(), 96);
  EXPECT_GT(rect.left, 0);
  EXPECT_GT(ContainerDepth(form, form.controls.back()), 0);
}

TEST(ArgumentsOf, TheTextAfterTheProgramsName) {
  struct Case {
    const wchar_t* line;
    const wchar_t* arguments;
  } const cases[] = {
      {L"duskline.exe 07:30 1", L"07:30 1"},
      {L"\"C:\\Program Files\\duskline.exe\" 07:30 1", L"07:30 1"},
      {L"\"C:\\x y\\duskline.exe\"07:30 1", L"07:30 1"},
      {L"duskline.exe", L""},
      {L"duskline.exe   -debug ", L"-debug "},
      {L"duskline.exe\t\"a b\"  c", L"\"a b\"  c"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ArgumentsOf(c.line), c.arguments);
}

TEST(FolderOf, KeepsTheBackslashOnlyAtADrivesRoot) {
  EXPECT_EQ(FolderOf(L"C:\\Tools\\duskline.exe"), L"C:\\Tools");
  EXPECT_EQ(FolderOf(L"C:\\duskline.exe"), L"C:\\");
  EXPECT_EQ(FolderOf(L"\\\\server\\share\\duskline.exe"), L"\\\\server\\share");
}

TEST(Win32App, VersionFromTheResourceAndFolderOfTheProgram) {
  Win32App app(GetModuleHandleW(nullptr));
  EXPECT_EQ(app.Title(), "Vesperon");
  EXPECT_EQ(app.Major(), 1);
  EXPECT_EQ(app.Minor(), 1);
  EXPECT_EQ(app.Revision(), 0);
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::string path = app.Path();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.back(), '\\');
  EXPECT_EQ(GetFileAttributesA((path + "\\" + "duskline_win32_tests.exe").c_str()) !=
                INVALID_FILE_ATTRIBUTES,
            true);
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
  uint64_t luid = 0;
  EXPECT_TRUE(api.LookupPrivilegeValueA("", "SeShutdownPrivilege", &luid));
  EXPECT_NE(luid, 0u);
  EXPECT_FALSE(api.LookupPrivilegeValueA("", "SeNoSuchPrivilege", &luid));
  EXPECT_EQ(api.GetLastError(), static_cast<uint32_t>(ERROR_NO_SUCH_PRIVILEGE));

  // A claimed buffer larger than the record must not let the system write past it.
  TokenPrivileges state{1, 0, 2}, previous{};
  api.LookupPrivilegeValueA("", "SeShutdownPrivilege", &state.luid);
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

TEST(Fonts, AMissingFaceFallsBackToTheMessageFont) {
  EXPECT_EQ(FontFace("Letter Gothic MT No Such Face"), std::wstring(MessageFont(96).lfFaceName));
  // An installed face is used as it is.
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
  EXPECT_EQ(info.bmWidth, 1290);
  EXPECT_EQ(info.bmHeight, 240);
  DeleteObject(logo);
  for (const wchar_t* name : {L"APPICON", L"ATTENTION"}) {
    HICON icon = static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr) << name;
    if (icon) DestroyIcon(icon);
  }
}

}  // namespace
}  // namespace duskline::win32
