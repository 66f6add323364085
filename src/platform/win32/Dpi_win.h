// The window's DPI, sizes and fonts at that DPI. Functions newer than Windows 7 are looked up
// at run time, so the program still starts where they are missing.
#pragma once

#include <optional>
#include <string>

#include "platform/Layout.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

constexpr int kDefaultDpi = 96;

int WindowDpi(HWND window);

// The window size whose client area is width x height pixels.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);

// Pixels at a DPI for a size given at 96 DPI.
int ScaleForDpi(int pixels, int dpi);

bool FontExists(const std::wstring& face);

// The system's message font (Segoe UI on current Windows) at the DPI.
LOGFONTW MessageFont(int dpi);

// The font of a control: the named face, its known successor, or the message font's face where
// neither is installed; no font given means the message font. The caller owns the handle.
HFONT CreateLayoutFont(const std::optional<Font>& font, int dpi);

// The face that CreateLayoutFont uses for a name.
std::wstring FontFace(const std::string& name);

}  // namespace duskline::win32
