#include "platform/win32/Dpi_win.h"

#include <cmath>
#include <cwchar>

#include "platform/win32/Text_win.h"

namespace duskline::win32 {
namespace {

template <typename Fn>
Fn UserFunction(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return user ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

int CALLBACK CountFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int ScaleForDpi(int pixels, int dpi) {
  return MulDiv(pixels, dpi, kDefaultDpi);
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi) {
  using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = UserFunction<AdjustFn>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, width, height};
  if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, dpi))
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool FontExists(const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(query.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &query, CountFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

LOGFONTW MessageFont(int dpi) {
  using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = UserFunction<ForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (forDpi != nullptr &&
      forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
    return metrics.lfMessageFont;
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
  } else {
    font.lfHeight = -MulDiv(9, dpi, 72);
    wcscpy(font.lfFaceName, L"Segoe UI");
  }
  return font;
}

std::wstring FontFace(const std::string& name) {
  const std::wstring face = Wide(name);
  // The old bitmap face only comes in a few sizes; its TrueType successor scales with the DPI.
  if (face == L"MS Sans Serif" && FontExists(L"Microsoft Sans Serif"))
    return L"Microsoft Sans Serif";
  if (FontExists(face)) return face;
  return MessageFont(kDefaultDpi).lfFaceName;
}

HFONT CreateLayoutFont(const std::optional<Font>& font, int dpi) {
  LOGFONTW logFont = MessageFont(dpi);
  if (font) {
    const std::wstring face = FontFace(font->name);
    wcsncpy(logFont.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
    logFont.lfHeight = -static_cast<LONG>(std::lround(font->points * dpi / 72.0));
    logFont.lfWeight = font->bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = FALSE;
    logFont.lfUnderline = FALSE;
  }
  return CreateFontIndirectW(&logFont);
}

}  // namespace duskline::win32
