// windows.h for our backend. Its MessageBox macro would rename the window system's method of
// the same name in every file that sees it, so it goes; the Win32 function is MessageBoxW.
#pragma once

#include <windows.h>

#undef MessageBox
