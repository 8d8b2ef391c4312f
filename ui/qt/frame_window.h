// The application frame on the desktop: the main window with the declared
// menu bar, the MDI client area holding the procedures' windows, and the
// status bar with its zones.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "ui/engine.h"
#include "ui/qt/desktop_fonts.h"
#include "ui/qt/menu_builder.h"

class QLabel;
class QMdiArea;

namespace linkar::ui::qt {

class PlaceTracker;

class FrameWindow : public QMainWindow {
  Q_OBJECT

 public:
  FrameWindow(Engine& engine, const Window& w, std::function<void()> afterInput);
  ~FrameWindow() override;

  int windowId() const { return m_id; }
  QMdiArea* mdiArea() const { return m_area; }
  DialogUnits units() const { return m_units; }
  // The action of a menu or item by field number, or null.
  QAction* action(int field) const;
  const MenuActions& menuActions() const { return m_menus; }

  // Copies the model into the frame; `active` is the active MDI child's
  // model (its status message shows in the frame's first zone), or null.
  void refresh(const Window& frame, const Window* active);

  // The standard arrangement actions of the "&Window" menu.
  void arrangeIcons();

 private:
  Engine& m_engine;
  int m_id;
  std::function<void()> m_afterInput;
  DialogUnits m_units;
  QMdiArea* m_area = nullptr;         // owned by the main window
  MenuActions m_menus;
  // The status bar's zones, made for these widths (dialog units, -1: the rest).
  void makeZones(const std::vector<int>& widths);

  std::vector<QLabel*> m_zones;       // owned by the status bar
  std::vector<int> m_zoneWidths;
  std::unique_ptr<PlaceTracker> m_tracker;
};

}  // namespace linkar::ui::qt
