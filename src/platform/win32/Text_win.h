// Texts cross the seam as the program's ANSI code page, like the INI functions that store them;
// the windows themselves are Unicode.
#pragma once

#include <string>

namespace duskline::win32 {

std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);
// False when the text holds characters the ANSI code page cannot represent.
bool FitsCodePage(const std::wstring& text);

}  // namespace duskline::win32
