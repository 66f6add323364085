// The actions through logind on the system bus, and the window-on-top helper.
#pragma once

#include <QDBusConnection>
#include <QVariant>
#include <functional>
#include <memory>

#include "platform/System.h"

class QAction;

namespace duskline::qt {

class LogindSystemApi : public SystemApi {
 public:
  explicit LogindSystemApi(std::function<void()> resumed);
  ~LogindSystemApi() override;

  uint32_t GetVersion() override;
  void SetLastError(uint32_t code) override { lastError_ = code; }
  uint32_t GetLastError() override { return lastError_; }
  std::string ErrorText(uint32_t code) override;
  std::intptr_t GetCurrentProcess() override;
  bool OpenProcessToken(std::intptr_t process, uint32_t desiredAccess,
                        std::intptr_t* token) override;
  bool LookupPrivilegeValueA(const std::string& systemName, const std::string& privilegeName,
                             uint64_t* luid) override;
  bool AdjustTokenPrivileges(std::intptr_t token, bool disableAll, const TokenPrivileges& newState,
                             uint32_t bufferLength, TokenPrivileges* previousState,
                             uint32_t* returnLength) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;
  bool SetSuspendState(bool hibernate, bool force, bool wakeupEventsDisabled) override;
  bool IsPwrHibernateAllowed() override;
  bool LockWorkStation() override;
  bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                    uint32_t flags) override;

 private:
  // A call on logind; on a refusal the D-Bus error is kept and `ok` is false.
  QVariant Call(const QString& path, const QString& interface, const QString& method,
                const QVariantList& arguments, bool& ok);
  bool Manager(const QString& method, const QVariantList& arguments = {});
  QString OwnSession(bool& ok);  // the object path of the program's session

  QDBusConnection bus_;
  uint32_t lastError_ = 0;
  std::string errorText_;
  std::unique_ptr<QAction> sleeping_;  // carries PrepareForSleep's argument
};

}  // namespace duskline::qt
