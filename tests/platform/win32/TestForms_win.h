// Small forms of our own for the backend's tests, a message pump and an error catcher.
#pragma once

#include <chrono>
#include <functional>

#include "platform/Layout.h"
#include "platform/Runtime.h"
#include "platform/win32/WindowSystem_win.h"

namespace duskline::win32::testing {

// Runs the message loop of the window system until the condition holds or the time is up.
inline bool PumpUntil(Win32WindowSystem& windows, const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG message{};
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      windows.Dispatch(message);
    else
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

inline void PumpFor(Win32WindowSystem& windows, std::chrono::milliseconds time) {
  PumpUntil(
      windows, [] { return false; }, time);
}

// The number of the error the call raises, or 0.
inline int ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.Number();
  }
  return 0;
}

inline ControlLayout& Add(FormLayout& form, ControlKind kind, const char* name,
                          const char* container, int left, int top, int width, int height,
                          int tabIndex = -1, const char* text = "") {
  return form.controls.emplace_back(
      Place(name, kind, container, left, top, width, height, tabIndex, text));
}

// A schedule-like form: a frame holding a text box and a list, a frame holding two buttons,
// a label outside and two timers.
inline FormLayout ScheduleForm() {
  using K = ControlKind;
  FormLayout form;
  form.name = "TestSchedule";
  form.caption = "Test schedule";
  form.clientWidth = 3255;
  form.clientHeight = 2475;
  Add(form, K::Label, "lblWeb", "", 1635, 420, 1575, 255, 10, "web");
  Add(form, K::Frame, "Frame2", "", 0, 600, 3255, 1095, 5);
  Add(form, K::TextBox, "txtTime", "Frame2", 1440, 240, 1695, 285, 7);
  Add(form, K::DropDownList, "cmbType", "Frame2", 1440, 600, 1695, 315, 6).items = {
      "Logoff", "Shutdown", "Power Off"};
  Add(form, K::Frame, "Frame1", "", 0, 1680, 3255, 735, 1);
  Add(form, K::Button, "cmdClose", "Frame1", 240, 240, 855, 375, 4, "&Close").isCancel = true;
  Add(form, K::Button, "cmdHide", "Frame1", 2160, 240, 855, 375, 3, "&Hide").isDefault = true;
  Add(form, K::Timer, "tmrFast", "", 0, 0, 0, 0).interval = 100;
  ControlLayout& idle = Add(form, K::Timer, "tmrIdle", "", 0, 0, 0, 0);
  idle.interval = 100;
  idle.enabled = false;
  return form;
}

// An About-like form: nothing takes the focus, so keys reach the form.
inline FormLayout PassiveForm() {
  using K = ControlKind;
  FormLayout form;
  form.name = "TestPassive";
  form.border = BorderStyle::FixedDialog;
  form.controlBox = false;
  form.centred = true;
  form.clientWidth = 3000;
  form.clientHeight = 1500;
  Add(form, K::Frame, "Frame1", "", 30, 0, 2900, 1400);
  Add(form, K::Image, "imgLogo", "Frame1", 40, 120, 2800, 500).picture = "LOGO";
  ControlLayout& version =
      Add(form, K::Label, "lblVersion", "Frame1", 120, 800, 600, 300, -1, "1.1.0");
  version.autoSize = true;
  version.font = Font{"Letter Gothic MT", 12, false};
  ControlLayout& info =
      Add(form, K::Label, "lblInfo", "Frame1", 120, 1100, 2600, 255, -1, "Shutdown");
  info.foreColor = 0x0000FF;
  info.alignment = Alignment::Centre;
  info.font = Font{"MS Sans Serif", 18, false};
  return form;
}

}  // namespace duskline::win32::testing
