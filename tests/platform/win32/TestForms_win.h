// Small forms of our own for the backend's tests, and a message pump.
#pragma once

#include <chrono>
#include <functional>

#include "platform/Layout.h"
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

inline ControlLayout Make(ControlKind kind, const char* name, int left, int top, int width,
                          int height, int tabIndex = -1, const char* text = "") {
  ControlLayout control;
  control.kind = kind;
  control.name = name;
  control.left = left;
  control.top = top;
  control.width = width;
  control.height = height;
  control.tabIndex = tabIndex;
  control.text = text;
  return control;
}

// A schedule-like form: a frame holding a text box and a list, a frame holding two buttons,
// a label outside and two timers.
inline FormLayout ScheduleForm() {
  FormLayout form;
  form.name = "TestSchedule";
  form.caption = "Test schedule";
  form.clientWidth = 3255;
  form.clientHeight = 2475;
  form.controls.push_back(Make(ControlKind::Label, "lblWeb", 1635, 420, 1575, 255, 10, "web"));
  form.controls.push_back(Make(ControlKind::Frame, "Frame2", 0, 600, 3255, 1095, 5));
  ControlLayout time = Make(ControlKind::TextBox, "txtTime", 1440, 240, 1695, 285, 7);
  time.container = "Frame2";
  form.controls.push_back(time);
  ControlLayout type = Make(ControlKind::DropDownList, "cmbType", 1440, 600, 1695, 315, 6);
  type.container = "Frame2";
  type.items = {"Logoff", "Shutdown", "Power Off"};
  form.controls.push_back(type);
  form.controls.push_back(Make(ControlKind::Frame, "Frame1", 0, 1680, 3255, 735, 1));
  ControlLayout close = Make(ControlKind::Button, "cmdClose", 240, 240, 855, 375, 4, "&Close");
  close.container = "Frame1";
  close.isCancel = true;
  form.controls.push_back(close);
  ControlLayout hide = Make(ControlKind::Button, "cmdHide", 2160, 240, 855, 375, 3, "&Hide");
  hide.container = "Frame1";
  hide.isDefault = true;
  form.controls.push_back(hide);
  ControlLayout fast = Make(ControlKind::Timer, "tmrFast", 0, 0, 0, 0);
  fast.interval = 100;
  form.controls.push_back(fast);
  ControlLayout idle = Make(ControlKind::Timer, "tmrIdle", 0, 0, 0, 0);
  idle.interval = 100;
  idle.enabled = false;
  form.controls.push_back(idle);
  return form;
}

// An About-like form: nothing takes the focus, so keys reach the form.
inline FormLayout PassiveForm() {
  FormLayout form;
  form.name = "TestPassive";
  form.border = BorderStyle::FixedDialog;
  form.controlBox = false;
  form.centred = true;
  form.clientWidth = 3000;
  form.clientHeight = 1500;
  form.controls.push_back(Make(ControlKind::Frame, "Frame1", 30, 0, 2900, 1400));
  ControlLayout logo = Make(ControlKind::Image, "imgLogo", 40, 120, 2800, 500);
  logo.container = "Frame1";
  logo.picture = "LOGO";
  form.controls.push_back(logo);
  ControlLayout version = Make(ControlKind::Label, "lblVersion", 120, 800, 600, 300, -1, "1.1.0");
  version.container = "Frame1";
  version.autoSize = true;
  version.font = Font{"Letter Gothic MT", 12, false};
  form.controls.push_back(version);
  ControlLayout info = Make(ControlKind::Label, "lblInfo", 120, 1100, 2600, 255, -1, "Shutdown");
  info.container = "Frame1";
  info.foreColor = 0x0000FF;
  info.alignment = Alignment::Centre;
  info.font = Font{"MS Sans Serif", 18, false};
  form.controls.push_back(info);
  return form;
}

}  // namespace duskline::win32::testing
