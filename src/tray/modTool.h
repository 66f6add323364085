// Window helpers.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace duskline {

// Puts the form into the topmost band of windows (onTop non-zero) or takes it out, without
// moving or sizing it. Reports its own failures in a message box captioned "FormOnTop" and
// returns.
void FormOnTop(Platform& platform, Form& form, int16_t onTop);

}  // namespace duskline
