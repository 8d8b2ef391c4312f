// The widgets of one window (a procedure's MDI child or dialog window):
// every control of its declaration placed at its dialog-unit position,
// refreshed from the window model, with the user's actions passed to the
// engine's user-input functions by field number.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "ui/engine.h"
#include "ui/qt/desktop_fonts.h"
#include "ui/qt/menu_builder.h"
#include "ui/qt/stretch_layout.h"

class QMenuBar;
class QTabBar;

namespace linkar::ui::qt {

class ListControl;

class WindowView : public QWidget {
  Q_OBJECT

 public:
  // `afterInput` runs after each action handed to the engine (the backend
  // resumes the procedure threads there).
  WindowView(Engine& engine, const Window& w, std::function<void()> afterInput, QWidget* parent = nullptr);

  int windowId() const { return m_id; }
  DialogUnits units() const { return m_units; }
  // The client size the declaration asks for, in pixels.
  QSize designedSize() const { return m_designed; }

  // Copies the model into the widgets.
  void refresh(const Window& w);
  // From now on the widgets' signals reach nothing (the engine may be gone
  // while the widgets are taken down).
  void detach() { m_detached = m_applying = true; }

  QWidget* widget(int field) const;
  ListControl* list(int field) const;
  QMenuBar* menuBar() const { return m_menuBar; }

 protected:
  void keyPressEvent(QKeyEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  struct Control {
    ControlType type;
    QWidget* widget = nullptr;   // owned by this view (child widget)
    size_t index = 0;            // in the declaration
    QRect designed;              // pixels, as declared
  };

  void build(const Window& w);
  QWidget* makeControl(const ControlDecl& c, const Window& w);
  // Whether the control shows: it and its containers are not hidden, and
  // every tab around it is its sheet's chosen tab.
  bool shown(const Window& w, size_t index) const;
  void userFocus(int field);
  void after();
  // Places the controls for the view's present size (see StretchLayout).
  void layoutControls();
  // Scales every control with the window (a window of images).
  void scaleControls();
  // The tab bar over the sheet's panel, for the sheet's present size.
  static void layoutSheet(QWidget* sheet);
  // Tells the model how many rows each list shows now: at once and quietly
  // while the window is being built; afterwards through the engine (which
  // posts EVENT:Sized), from the event loop, since a resize can come while
  // a procedure thread is drawing its window.
  void syncRowsQuietly();
  void reportRowsLater();

  Engine& m_engine;
  int m_id;
  std::function<void()> m_afterInput;
  DialogUnits m_units;
  StretchLayout m_layout;
  bool m_scales;                       // scaleControls() on every resize
  QSize m_designed;
  int m_menuHeight = 0;
  std::map<int, Control> m_controls;
  std::map<int, int> m_tabNumber;      // tab field -> its number within its sheet, from 1
  MenuActions m_menus;
  QMenuBar* m_menuBar = nullptr;       // owned by this view
  bool m_applying = false;             // model -> widgets in progress: ignore their signals
  bool m_detached = false;
  int m_appliedFocus = 0;
  bool m_rowsQueued = false;
};

}  // namespace linkar::ui::qt
