// Operations that a test has told a fake to fail with a run-time error.
#pragma once

#include <map>
#include <string>

#include "platform/Runtime.h"

namespace duskline::fakes {

class FailurePlan {
 public:
  // The operation raises the error number, the next `times` calls (-1: every call).
  void Fail(const std::string& operation, int number = kErrPropertyMissing, int times = -1) {
    failures_[operation] = {number, times};
  }
  void Heal(const std::string& operation) { failures_.erase(operation); }
  void Check(const std::string& operation) const {
    auto it = failures_.find(operation);
    if (it == failures_.end()) return;
    int number = it->second.number;
    if (it->second.times > 0 && --it->second.times == 0) failures_.erase(it);
    Raise(number);
  }

 private:
  struct Failure {
    int number;
    int times;
  };
  mutable std::map<std::string, Failure> failures_;
};

}  // namespace duskline::fakes
