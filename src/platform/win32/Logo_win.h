// The About window's logo, drawn at run time: a dusk sky over the horizon, the sun setting and
// the word DUSKLINE. Drawing it costs less of the executable than storing it.
#pragma once

#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

inline constexpr int kLogoWidth = 1290;
inline constexpr int kLogoHeight = 240;

// A 32-bit bitmap of kLogoWidth x kLogoHeight pixels; the caller deletes it.
HBITMAP DrawLogo();

}  // namespace duskline::win32
