#include "platform/Runtime.h"

#include <cmath>
#include <cstdlib>

namespace duskline {

namespace {

bool IsSkipped(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

double ReadRadix(std::string_view digits, int radix) {
  double value = 0;
  for (char c : digits) {
    int d = DigitValue(c);
    if (d >= radix) break;
    value = value * radix + d;
  }
  if (std::isinf(value)) Raise(kErrOverflow);
  return value;
}

}  // namespace

double NumberFromText(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (!IsSkipped(c)) s.push_back(c);

  if (s.size() >= 2 && s[0] == '&') {
    char radix = s[1];
    if (radix == 'H' || radix == 'h') return ReadRadix(std::string_view(s).substr(2), 16);
    if (radix == 'O' || radix == 'o') return ReadRadix(std::string_view(s).substr(2), 8);
    return 0;
  }

  // Copy what fits the pattern into a clean C-locale number text for strtod.
  std::string number;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
  bool digits = false;
  bool period = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9') {
      number.push_back(s[i]);
      digits = true;
    } else if (s[i] == '.' && !period) {
      number.push_back('.');
      period = true;
    } else {
      break;
    }
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::string exponent = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
    bool exponentDigits = false;
    for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; ++j) {
      exponent.push_back(s[j]);
      exponentDigits = true;
    }
    if (exponentDigits) number += exponent;
  }

  // The program never changes the C locale, so strtod reads the period as decimal point.
  double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) Raise(kErrOverflow);  // underflow quietly gives 0 or a tiny value
  return value;
}

int16_t RoundToInt16(double value) {
  double rounded = std::nearbyint(value);  // default rounding mode: halves to even
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) Raise(kErrOverflow);
  return static_cast<int16_t>(rounded);
}

std::string SignedNumberText(long long value) {
  std::string text = value < 0 ? "" : " ";
  text += std::to_string(value);
  return text;
}

}  // namespace duskline
