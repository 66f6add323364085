#include "platform/test/Fakes.h"

namespace duskline::fakes {

FakePlatform::FakePlatform()
    : events([this](const RuntimeError& error) {
        unhandled.push_back(error);
        windows.MessageBox(StandardErrorText(error), app.Title());
        app.End();
      }) {
  clock.afterEvent = [this] { windows.RunPending(); };
}

}  // namespace duskline::fakes
