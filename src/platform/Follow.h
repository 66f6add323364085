// The system service's schedule as a user's program follows it: its phase, and the user's
// requests to stop or postpone what it is about to do.
#pragma once

#include <functional>
#include <string>

namespace duskline {

class SystemScheduler {
 public:
  virtual ~SystemScheduler() = default;
  // "idle", "warning" or "countdown"; empty when the service cannot be reached. As last told:
  // the service tells every change, so reading it costs nothing.
  virtual std::string Phase() = 0;
  // Empty when the service granted the request, else its reason.
  virtual std::string Stop() = 0;
  virtual std::string Postpone() = 0;

  // Raised on the user-interface thread when the phase changed: the service told a change, went
  // away, or came back.
  std::function<void()> Changed;
};

}  // namespace duskline
