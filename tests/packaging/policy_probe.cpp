// The program's policy reader on values given as arguments, for the template's test:
//   policy_probe machine|user NAME text|number VALUE ...
// prints what the reader makes of them and each warning, one per line.
#include <cstdio>
#include <string>

#include "platform/test/Fakes.h"
#include "scheduler/Policy.h"

int main(int argc, char** argv) {
  using namespace duskline;
  using Store = fakes::FakePolicyStore;
  Store store;
  for (int i = 1; i + 3 < argc; i += 4) {
    const auto scope = std::string(argv[i]) == "machine" ? PolicyScope::Machine : PolicyScope::User;
    store.values[{scope, argv[i + 1]}] = std::string(argv[i + 2]) == "number"
                                             ? Store::Number(std::stoul(argv[i + 3]))
                                             : Store::Text(argv[i + 3]);
  }
  const auto scope = [](const auto& setting) {
    return setting->scope == PolicyScope::Machine ? "machine" : "user";
  };
  PolicyReader reader(store,
                      [](const std::string& text) { std::printf("warning %s\n", text.c_str()); });
  const Policy policy = reader.Read();
  if (policy.code) std::printf("Code %s %s\n", scope(policy.code), policy.code->value.c_str());
  if (policy.days) std::printf("Days %s %d\n", scope(policy.days), policy.days->value);
  if (policy.trigger)
    std::printf("Trigger %s %s\n", scope(policy.trigger),
                StoredTrigger(policy.trigger->value).c_str());
  std::printf("NoStop %d\nNoPostpone %d\n", policy.noStop, policy.noPostpone);
}
