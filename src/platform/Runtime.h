// The run-time conventions the whole program shares: the numbered run-time error, the
// number-from-text rule, 16-bit rounding, the dynamically typed ProfileValue and the report
// text of an error trap.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <variant>

namespace duskline {

// Error numbers of the host run time.
enum : int {
  kErrOverflow = 6,
  kErrTypeMismatch = 13,
  kErrObjectNotSet = 91,
  kErrInvalidUseOfNull = 94,
  kErrInvalidPropertyValue = 380,
  kErrPropertyMissing = 438,
};

// The usual English description of a run-time error number ("Application-defined or
// object-defined error" for a number it does not know).
std::string ErrorDescription(int number);

// A run-time error: number and description. Raised by portable code, caught only by the
// event dispatcher and the error traps of the handlers that have one.
class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(int number);
  RuntimeError(int number, std::string description);

  int Number() const { return number_; }
  const std::string& Description() const { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  std::string description_;
};

[[noreturn]] void Raise(int number);

// "[<number>] <description>", the report of the load and service error traps.
std::string ErrorReport(const RuntimeError& error);

// The number-from-text rule: blanks, tabs and line feeds are skipped wherever they stand;
// an optional sign, digits with at most one period and an optional exponent (E or D) are
// read; "&H" and "&O" read hexadecimal and octal whole numbers; reading stops at the first
// character that does not fit; no leading number gives 0; beyond the double range raises 6.
double NumberFromText(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour; raises 6 outside
// -32768..32767 (also for NaN).
int16_t RoundToInt16(double value);

// Decimal text with a sign position: " 2", " 0", "-1".
std::string SignedNumberText(long long value);

// A date as the host run time keeps it: days since 30 December 1899, the fraction being
// the time of day.
struct DateValue {
  double serial = 0;
  bool operator==(const DateValue&) const = default;
};

// A dynamically typed value: empty, null, text, number, date or truth value.
struct EmptyValue {
  bool operator==(const EmptyValue&) const = default;
};
struct NullValue {
  bool operator==(const NullValue&) const = default;
};
// Something without a general text form (an object or an array).
struct ObjectValue {
  bool operator==(const ObjectValue&) const = default;
};

class ProfileValue {
 public:
  using Storage =
      std::variant<EmptyValue, NullValue, std::string, double, DateValue, bool, ObjectValue>;

  ProfileValue() = default;
  ProfileValue(const char* text) : value_(std::string(text)) {}
  ProfileValue(std::string text) : value_(std::move(text)) {}
  ProfileValue(double number) : value_(number) {}
  ProfileValue(int number) : value_(static_cast<double>(number)) {}
  ProfileValue(DateValue date) : value_(date) {}
  ProfileValue(bool truth) : value_(truth) {}
  ProfileValue(NullValue) : value_(NullValue{}) {}
  ProfileValue(ObjectValue) : value_(ObjectValue{}) {}

  static ProfileValue Null() { return ProfileValue(NullValue{}); }

  bool IsEmpty() const { return std::holds_alternative<EmptyValue>(value_); }
  bool IsNull() const { return std::holds_alternative<NullValue>(value_); }
  bool IsText() const { return std::holds_alternative<std::string>(value_); }
  bool IsNumber() const { return std::holds_alternative<double>(value_); }
  bool IsDate() const { return std::holds_alternative<DateValue>(value_); }
  bool IsBool() const { return std::holds_alternative<bool>(value_); }

  const Storage& Get() const { return value_; }
  bool operator==(const ProfileValue&) const = default;

 private:
  Storage value_;
};

}  // namespace duskline
