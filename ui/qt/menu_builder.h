// Menus of a window (the frame's menu bar, or a window's own bar of items
// that act at once) built from the declared menu controls: mnemonics,
// separators, sub-menus and status-bar messages.
#pragma once

#include <QMenuBar>
#include <functional>
#include <map>

#include "ui/window.h"

namespace linkar::ui::qt {

// The actions standing for menu and item controls, by field number.
using MenuActions = std::map<int, QAction*>;

// Adds the structure's menus and items to `bar`; choosing an item calls
// `chosen` with its field number. Returns the actions (owned by the bar).
MenuActions buildMenus(QMenuBar* bar, const Structure& s, std::function<void(int field)> chosen);

// Copies the enabled and hidden states and texts of the model into the actions.
void refreshMenus(const MenuActions& actions, const Window& w);

}  // namespace linkar::ui::qt
