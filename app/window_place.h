// Window places remembered between runs: every procedure window saves its
// position, size and maximised state when it closes and restores them when
// it opens, in a section of the settings file named after the procedure.
#pragma once

#include <string>
#include <string_view>

namespace linkar::ui {
class Window;
}

namespace linkar::app {

// The settings file every procedure names.
constexpr const char* kSettingsFileName = "LINKAR.INI";

// The largest position or size, in dialog units, a saved place may hold.
// Dialog units become pixels by multiplying with the character cell; this
// bound lies far past any desktop yet keeps that product well inside int.
constexpr int kMaxPlaceUnits = 10000;

// Where a settings file named by the program lives: a bare name in the
// configuration folder, a name with a folder as it stands.
std::string settingsFilePath(std::string_view iniName);

// Right after the window is opened, before its first event: moves, sizes
// and maximises the window as its section says. A section without a
// non-zero "XPosit" restores nothing. A position or size no window can
// have (beyond kMaxPlaceUnits, or a size not above 0) counts as missing. `window` defaults to the current thread's newest window.
void RestoreWindowPlace(std::string_view procedure, std::string_view iniName, ui::Window* window = nullptr);

// While the window closes: writes "Maximize", "XPosit", "YPosit", "Width"
// and "Height" (dialog units) unless the window is minimised. Returns 0 or
// the error number of writing the file (the window closes either way).
int SaveWindowPlace(std::string_view procedure, std::string_view iniName, ui::Window* window = nullptr);

}  // namespace linkar::app
