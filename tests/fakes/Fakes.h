// Fakes of the platform seam for tests: a clock that only moves when told to.
#pragma once

#include "platform/System.h"

namespace duskline::fakes {

class FakeClock : public Clock {
 public:
  LocalTime Now() const override { return now_; }
  void Set(const LocalTime& now) { now_ = now; }

 private:
  LocalTime now_;
};

}  // namespace duskline::fakes
