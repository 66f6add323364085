// The system service's schedule as a user's program follows it: its phase, and the user's
// requests to stop or postpone what it is about to do.
#pragma once

#include <string>

namespace duskline {

class SystemScheduler {
 public:
  virtual ~SystemScheduler() = default;
  // "idle", "warning" or "countdown"; empty when the service cannot be reached.
  virtual std::string Phase() = 0;
  // Empty when the service granted the request, else its reason.
  virtual std::string Stop() = 0;
  virtual std::string Postpone() = 0;
};

}  // namespace duskline
