// Menu construction. A menu control holds the controls declared after it
// whose parent it is; a top-level item (parent -1) sits on the bar itself
// and acts at once.

#include "ui/qt/menu_builder.h"

#include <QMenu>

#include "ui/qt/display_text.h"

namespace linkar::ui::qt {

MenuActions buildMenus(QMenuBar* bar, const Structure& s, std::function<void(int field)> chosen) {
  MenuActions actions;
  std::map<int, QMenu*> menus;  // by index into s.controls
  for (size_t i = 0; i < s.controls.size(); ++i) {
    const ControlDecl& c = s.controls[i];
    if (c.type != ControlType::Menu && c.type != ControlType::Item && c.type != ControlType::Separator)
      continue;
    QMenu* parentMenu = nullptr;
    if (c.parent >= 0) {
      auto it = menus.find(c.parent);
      if (it == menus.end()) continue;  // inside something that is not a menu
      parentMenu = it->second;
    }
    QString text = toDisplay(c.text);
    QString status = toDisplay(c.status);
    switch (c.type) {
      case ControlType::Menu: {
        QMenu* menu = parentMenu ? parentMenu->addMenu(text) : bar->addMenu(text);
        menu->menuAction()->setStatusTip(status);
        menu->setToolTipsVisible(false);
        menus[static_cast<int>(i)] = menu;
        actions[c.field] = menu->menuAction();
        break;
      }
      case ControlType::Item: {
        QAction* action = parentMenu ? parentMenu->addAction(text) : bar->addAction(text);
        action->setStatusTip(status);
        int field = c.field;
        QObject::connect(action, &QAction::triggered, bar, [chosen, field] { chosen(field); });
        actions[c.field] = action;
        break;
      }
      case ControlType::Separator:
        if (parentMenu) actions[c.field] = parentMenu->addSeparator();
        break;
      default:
        break;
    }
  }
  return actions;
}

void refreshMenus(const MenuActions& actions, const Window& w) {
  for (const auto& [field, action] : actions) {
    if (!w.hasField(field)) continue;
    const ControlState& s = w.state(field);
    action->setEnabled(s.enabled);
    action->setVisible(!s.hidden);
    if (!action->isSeparator()) {
      QString text = toDisplay(s.text);
      if (action->text() != text) action->setText(text);
      // A procedure may change an item's status message with its text.
      QString status = toDisplay(s.status);
      if (action->statusTip() != status) action->setStatusTip(status);
    }
  }
}

}  // namespace linkar::ui::qt
