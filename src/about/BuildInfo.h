// What the build knows of itself: the processor it is for, the date of the commit it was made
// from and the home page given at configure time. The About and main windows show them.
#pragma once

#include <string>

namespace duskline {

// "x86_64", "i686", or the empty text for another processor.
std::string BuildArchitecture();
// The commit's date as YYYY-MM-DD, or the empty text when the build was made outside git.
std::string BuildDate();
// DUSKLINE_HOMEPAGE of the CMake cache; empty unless a builder sets it.
std::string HomePage();

}  // namespace duskline
