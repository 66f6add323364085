// The program: the platform objects, the main window, then the message loop.
#include "platform/Platform.h"
#include "platform/win32/Controls_win.h"
#include "platform/win32/PolicyStore_win.h"
#include "platform/win32/System_win.h"
#include "platform/win32/Triggers_win.h"
#include "platform/win32/WindowSystem_win.h"
#include "scheduler/Main.h"

#include <cstdlib>
#include <exception>
#include <new>

// What the library raises when a container or a string fails. Its own versions build
// std::length_error and its kin from text, which links a second string implementation and its
// helpers into a static program. Nothing here tells those exceptions apart: the event
// dispatcher reports any of them as an internal error, so plainer ones do the same.
namespace std {
[[noreturn]] void __throw_bad_alloc() {
  throw std::bad_alloc();
}
[[noreturn]] void __throw_bad_array_new_length() {
  throw std::bad_alloc();
}
[[noreturn]] void __throw_length_error(const char*) {
  throw std::exception();
}
[[noreturn]] void __throw_logic_error(const char*) {
  throw std::exception();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
  throw std::exception();
}
}  // namespace std

// The library's own handler for std::terminate writes the exception's demangled type to a
// console that a windowed program does not have; this one ends the same way without it, and
// keeps the demangler out of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace duskline;
  win32::Win32App app(instance);
  win32::Win32WindowSystem windows(instance);
  win32::Win32Clock clock;
  win32::Win32SystemApi api;
  const std::unique_ptr<IniFunctions> ini = MakeSystemIniFunctions();
  const std::unique_ptr<TrayIcon> tray = win32::CreateTrayIcon(instance);
  const std::unique_ptr<ServiceControl> service = win32::CreateServiceControl(instance);

  // An error no handler traps: the standard report, then the end of the program.
  auto unhandled = [&](const RuntimeError& error) {
    windows.MessageBox(StandardErrorText(error), app.Title());
    app.End();
  };
  EventDispatcher events(unhandled);
  windows.SetLastResort(unhandled);

  win32::RegistryPolicy policy(instance, windows);
  win32::LastInput idle;
  win32::ProcessWaiter processes(windows);
  Platform platform{app,      windows, clock,  *ini, api,      *tray,
                    *service, events,  policy, idle, processes};
  Main main(platform);
  events.Raise([&] { main.Start(); });
  return windows.Run();
}
