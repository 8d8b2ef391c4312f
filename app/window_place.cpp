// Reading and writing window places. The model's place always holds the
// window's normal position and size, so a window closed while maximised is
// saved with the place it had before it was maximised.

#include "app/window_place.h"

#include "platform/paths.h"
#include "platform/profile.h"
#include "ui/engine.h"

namespace linkar::app {
namespace {

constexpr const char* kMaximize = "Maximize";
constexpr const char* kXPosit = "XPosit";
constexpr const char* kYPosit = "YPosit";
constexpr const char* kWidth = "Width";
constexpr const char* kHeight = "Height";
constexpr const char* kYes = "Yes";
constexpr const char* kNo = "No";

// A value out of range (a hand-edited or damaged file: "Width=99999999999")
// counts as missing, which the restoring rules already handle: the window
// keeps its designed place, as on a first run, instead of a size that
// overflows on its way to pixels. A position may be negative (a window
// dragged partly off the frame); a size must be positive.
int placePosition(int value) { return value >= -kMaxPlaceUnits && value <= kMaxPlaceUnits ? value : 0; }
int placeSize(int value) { return value > 0 && value <= kMaxPlaceUnits ? value : 0; }

ui::Window* targetWindow(ui::Window* window) {
  if (window) return window;
  ui::Engine* engine = ui::Engine::instance();
  return engine ? engine->currentWindow() : nullptr;
}

}  // namespace

std::string settingsFilePath(std::string_view iniName) {
  std::string name(iniName);
  if (name.find('/') != std::string::npos) return name;
  std::string path;
  // A failure to create the folder leaves the path set; reading then gives
  // the defaults and writing reports the error.
  platform::configFilePath(name, &path);
  return path;
}

void RestoreWindowPlace(std::string_view procedure, std::string_view iniName, ui::Window* window) {
  ui::Window* w = targetWindow(window);
  if (!w) return;
  const std::string path = settingsFilePath(iniName);
  const std::string section(procedure);
  auto number = [&](const char* key) { return platform::readProfileInt(path, section, key, 0); };

  if (placePosition(number(kXPosit)) == 0) return;
  if (!w->maximized()) {
    int x = placePosition(number(kXPosit));
    int y = placePosition(number(kYPosit));
    bool placed = x != 0 && y != 0;
    ui::Rect place = w->place();
    if (placed && w->resizable()) {
      int width = placeSize(number(kWidth));
      int height = placeSize(number(kHeight));
      placed = width != 0 && height != 0;
      place.width = width;
      place.height = height;
    }
    if (placed) {
      place.x = x;
      place.y = y;
      w->setPlace(place);
    }
  }
  if (platform::readProfileString(path, section, kMaximize, "") == kYes) w->setMaximized(true);
}

int SaveWindowPlace(std::string_view procedure, std::string_view iniName, ui::Window* window) {
  ui::Window* w = targetWindow(window);
  if (!w) return 0;
  const bool maximized = w->maximized();
  w->setMaximized(false);
  if (w->minimized()) return 0;
  const std::string path = settingsFilePath(iniName);
  const std::string section(procedure);
  const ui::Rect place = w->place();
  const std::pair<const char*, std::string> entries[] = {
      {kMaximize, maximized ? kYes : kNo},
      {kXPosit, std::to_string(place.x)},
      {kYPosit, std::to_string(place.y)},
      {kWidth, std::to_string(place.width)},
      {kHeight, std::to_string(place.height)},
  };
  for (const auto& [key, value] : entries)
    if (int error = platform::writeProfileString(path, section, key, value)) return error;
  return 0;
}

}  // namespace linkar::app
