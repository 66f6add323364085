// The run-time error and its texts: needed only when something fails, so apart from the
// number reading that each schedule check runs.
#include "platform/Runtime.h"

namespace duskline {

std::string ErrorDescription(int number) {
  switch (number) {
    case kErrOverflow:
      return "Overflow";
    case kErrTypeMismatch:
      return "Type mismatch";
    case kErrObjectNotSet:
      return "Object variable or With block variable not set";
    case kErrInvalidUseOfNull:
      return "Invalid use of Null";
    case kErrInvalidPropertyValue:
      return "Invalid property value";
    case kErrPropertyMissing:
      return "Object doesn't support this property or method";
    default:
      return "Application-defined or object-defined error";
  }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(int number, std::string description)
    : number_(number), description_(std::move(description)) {}

void Raise(int number) {
  throw RuntimeError(number);
}

std::string ErrorReport(const RuntimeError& error) {
  std::string report = "[";
  report += std::to_string(error.Number());
  report += "] ";
  report += error.Description();
  return report;
}

}  // namespace duskline
