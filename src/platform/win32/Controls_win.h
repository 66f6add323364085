// Our two windowless controls for Win32. Both raise their events on the thread that created
// them (the user-interface thread), through a hidden window of their own.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/Service.h"
#include "platform/Tray.h"

namespace duskline::win32 {

// The tray-icon control: design-time tooltip "Duskline", not in the notification area until
// AddIcon; puts its icon back when Explorer restarts.
std::unique_ptr<TrayIcon> CreateTrayIcon(HINSTANCE instance);

// The service control for the service "Orvanta Vesperon", display name "Orvanta Duskline".
std::unique_ptr<ServiceControl> CreateServiceControl(HINSTANCE instance);

}  // namespace duskline::win32
