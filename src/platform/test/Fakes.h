// Fakes of the platform seam for tests, and the bundle that hands them to a form.
#pragma once

#include <vector>

#include "platform/test/FakeSystem.h"
#include "platform/test/FakeWindows.h"
#include "platform/Platform.h"

namespace duskline::fakes {

// Every fake, wired as the program's platform. An error that no trap takes gets the standard
// report in a message box and ends the program, as on Windows.
struct FakePlatform {
  FakePlatform();

  // The errors that reached the rule for unhandled errors.
  std::vector<RuntimeError> unhandled;

  FakeClock clock;
  FakeWindowSystem windows{clock};
  FakeApp app;
  FakeIni ini;
  FakeSystemApi api;
  FakeTray tray;
  FakeService service;
  EventDispatcher events;
  Platform platform{app, windows, clock, ini, api, tray, service, events};
};

}  // namespace duskline::fakes
