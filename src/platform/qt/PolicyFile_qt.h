// The computer's policy on Linux: /etc/duskline/policy.ini, [Command] Code and Days, [Policy]
// NoStop and NoPostpone. Only a file that no one but root can change counts; the folder is
// watched, so that an edit, a new file or one renamed over the old applies within a second.
#pragma once

#include <QFileSystemWatcher>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "platform/IniFile.h"
#include "platform/PolicyStore.h"

namespace duskline::qt {

inline constexpr char kPolicyFolder[] = "/etc/duskline";

class PolicyFile : public PolicyStore {
 public:
  // `warn` is told, once each time it becomes so, why the file is ignored.
  PolicyFile(std::string folder, std::function<void(const std::string&)> warn);

  PolicyValue Read(PolicyScope scope, const std::string& name) const override;
  std::string Where(PolicyScope scope, const std::string& name) const override;

 private:
  // Reads the file again; true when what it says changed.
  bool Load();
  void Watch();

  std::string folder_;
  std::string path_;
  std::function<void(const std::string&)> warn_;
  std::string bytes_;
  std::optional<IniFile> ini_;  // nothing: no file, or one that is ignored
  std::string warned_;
  QFileSystemWatcher watcher_;
  QTimer settle_;  // one reload for the several notices of one change
};

}  // namespace duskline::qt
