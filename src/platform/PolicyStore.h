// Where an administrator's policy lives: on Windows the registry under Software\Policies (the
// computer's key, then the user's), on Linux a file under /etc. The store only reads values;
// what they mean is decided by the portable reader (scheduler/Policy.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace duskline {

// The computer's policy beats the user's.
enum class PolicyScope { Machine, User };

struct PolicyValue {
  enum class Kind {
    Absent,      // not configured
    Text,        // REG_SZ, or any value of a text file
    Number,      // REG_DWORD
    Unreadable,  // there, but of another type or not readable
  };
  Kind kind = Kind::Absent;
  std::string text;
  uint32_t number = 0;
};

class PolicyStore {
 public:
  virtual ~PolicyStore() = default;
  // The value of that name in that scope; a store without the scope answers Absent.
  virtual PolicyValue Read(PolicyScope scope, const std::string& name) const = 0;
  // Where an administrator finds that value, for messages: "HKLM\Software\...\Code".
  virtual std::string Where(PolicyScope scope, const std::string& name) const = 0;

  // Raised on the user-interface thread when the policy may have changed.
  std::function<void()> Changed;
};

// A computer without a policy store: nothing is configured.
class NoPolicy : public PolicyStore {
 public:
  PolicyValue Read(PolicyScope, const std::string&) const override { return {}; }
  std::string Where(PolicyScope, const std::string& name) const override { return name; }
};

}  // namespace duskline
