// GDI's bitmaps and icons of the portable pictures.
#pragma once

#include "platform/Pictures.h"
#include "platform/win32/Windows_win.h"

namespace duskline::win32 {

// A 32-bit top-down DIB section with alpha holding the picture; the caller deletes it.
HBITMAP BitmapOf(const Picture& picture);

// An icon of the picture with its alpha (null when it cannot be made); the caller destroys it.
HICON IconOf(const Picture& picture);

}  // namespace duskline::win32
