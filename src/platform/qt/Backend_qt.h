// The Linux desktop's side of the seam, built with Qt 6: the parts that reach beyond the
// window system (logind on the system bus, the notification area, the systemd user manager)
// are made here, each behind the interface the forms know.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Service.h"
#include "platform/System.h"
#include "platform/Tray.h"

namespace duskline::qt {

// The actions through logind; `resumed` runs on the user-interface thread when the computer
// has woken from sleep or hibernation.
std::unique_ptr<SystemApi> CreateSystemApi(std::function<void()> resumed);

// The icon in the desktop's notification area (StatusNotifierItem or the X tray).
std::unique_ptr<TrayIcon> CreateTrayIcon();

// The service switches as a systemd user service that starts `programPath`.
std::unique_ptr<ServiceControl> CreateServiceControl(const std::string& programPath);

}  // namespace duskline::qt
