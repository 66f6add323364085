#include "about/BuildInfo.h"

// Defined for this file alone by src/CMakeLists.txt, so a new date rebuilds only this file.
#ifndef DUSKLINE_BUILD_DATE
#define DUSKLINE_BUILD_DATE ""
#endif
#ifndef DUSKLINE_HOMEPAGE
#define DUSKLINE_HOMEPAGE ""
#endif

namespace duskline {

std::string BuildArchitecture() {
#if defined(__x86_64__) || defined(_M_X64)
  return "x86_64";
#elif defined(__i386__) || defined(_M_IX86)
  return "i686";
#else
  return "";
#endif
}

std::string BuildDate() {
  return DUSKLINE_BUILD_DATE;
}

std::string HomePage() {
  return DUSKLINE_HOMEPAGE;
}

}  // namespace duskline
