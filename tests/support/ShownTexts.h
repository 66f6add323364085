// Every text a control shows in the current language: its text or its list's items, and the
// texts the program puts into the countdown's labels while it counts.
#pragma once

#include "platform/Language.h"
#include "platform/Layout.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {

inline std::vector<std::string> ShownTexts(const ControlLayout& control) {
  std::vector<std::string> texts = control.items;
  if (!control.text.empty()) texts.push_back(control.text);
  if (control.name == "lblTime")
    texts.push_back(TrFormat("will be activated in %s seconds.", {"59"}));
  for (int type = 0; control.name == "lblInfo" && type < kShutdownTypeCount; ++type)
    texts.push_back(Tr(ShutdownTypeName(type)));
  return texts;
}

}  // namespace duskline
