// Everything the forms reach of their host, in one bundle handed to each form.
#pragma once

#include "platform/Controls.h"
#include "platform/Events.h"
#include "platform/Ini.h"
#include "platform/PolicyStore.h"
#include "platform/Service.h"
#include "platform/System.h"
#include "platform/Tray.h"
#include "platform/Triggers.h"

namespace duskline {

struct Platform {
  App& app;
  WindowSystem& windows;
  Clock& clock;
  IniFunctions& ini;
  SystemApi& api;
  TrayIcon& tray;
  ServiceControl& service;
  EventDispatcher& events;
  PolicyStore& policy;
  IdleSource& idle;
  ProcessWatch& processes;
};

}  // namespace duskline
