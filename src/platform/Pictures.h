// The program's pictures, drawn at run time rather than stored: the tray icon's four pictures at
// any size and the About window's logo. Each backend makes its own icons and bitmaps of them.
#pragma once

#include <cstdint>
#include <vector>

namespace duskline {

struct Picture {
  int width = 0, height = 0;
  // Rows top-down; each pixel 0xAARRGGBB, not premultiplied.
  std::vector<uint32_t> pixels;
};

// The tray icon's pictures.
enum class TrayPicture {
  kNormal,       // a pale crescent moon on a night-blue disc
  kWarning,      // an amber disc with a dark exclamation mark
  kDuskGlow,     // the moon inside an amber ring: the slow warning's second frame
  kUrgentFlash,  // a red disc with a white exclamation mark: the urgent second frame
};
inline constexpr int kTrayPictureCount = 4;

// What the tray icon shows, as plain data: the properties, whether the animation runs and the
// frame counter the timer advances.
struct TrayAnimation {
  static constexpr int16_t kSlowMode = 2;
  static constexpr int16_t kUrgentMode = 3;
  static constexpr int32_t kWarningIconCode = 2;

  // Start values from the control's stored settings.
  int16_t interval = 500;
  int16_t mode = kSlowMode;
  int32_t iconCode = 99;
  bool running = false;
  uint32_t frame = 0;

  // The property writes; each says whether the value changed. The schedule check writes them on
  // every tick: the same value again must cost nothing.
  bool SetInterval(int16_t milliseconds);
  bool SetMode(int16_t value);
  bool SetIconCode(int32_t code);
  // The still picture: the warning picture for icon code 2, the normal one otherwise.
  TrayPicture BasePicture() const;
  // The picture of the current frame: the still picture while stopped; while running, the
  // still picture alternates with the mode's own picture (other modes show it still).
  TrayPicture Picture() const;
  // Timer interval in milliseconds, at least 10 (the shortest a Windows timer takes).
  int TimerInterval() const;
};

// A tray picture of size x size pixels, its edges smoothed.
Picture DrawTrayPicture(TrayPicture picture, int size);

// The About window's logo: a dusk sky over the horizon, the sun setting and the word DUSKLINE.
inline constexpr int kLogoWidth = 1290;
inline constexpr int kLogoHeight = 240;
Picture DrawLogo();

}  // namespace duskline
