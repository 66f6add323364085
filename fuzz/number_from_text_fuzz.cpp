// The number-from-text rule on any bytes: it gives a finite number or raises overflow, and
// the skipped characters really are skipped.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Runtime.h"

using duskline::NumberFromText;
using duskline::RuntimeError;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  double value = 0;
  try {
    value = NumberFromText(text);
  } catch (const RuntimeError& error) {
    if (error.Number() != duskline::kErrOverflow) std::abort();
    return 0;
  }
  if (!std::isfinite(value)) std::abort();

  // Blanks, tabs and line feeds between any two characters change nothing.
  std::string spaced;
  for (char c : text) {
    spaced.push_back(c);
    spaced.push_back(c == 'x' ? '\t' : ' ');
  }
  double again = NumberFromText(spaced);
  if (!(again == value || (std::isnan(again) && std::isnan(value)))) std::abort();

  // 16-bit rounding either succeeds within range or raises overflow.
  try {
    int16_t rounded = duskline::RoundToInt16(value);
    if (std::fabs(rounded - value) > 0.5) std::abort();
  } catch (const RuntimeError& error) {
    if (error.Number() != duskline::kErrOverflow) std::abort();
  }
  return 0;
}
