// What holds a window on the desktop: an MDI child in the frame's client
// area, or a window of its own owned by the frame (the progress windows).
// The host keeps the model's position, size and state in step with what
// the user does, and applies the changes a procedure makes (a restored
// place, maximising) to the desktop window.
#pragma once

#include <QObject>
#include <QRect>
#include <functional>

#include "ui/engine.h"
#include "ui/qt/desktop_fonts.h"

class QMdiArea;
class QMdiSubWindow;

namespace linkar::ui::qt {

class WindowView;

// Follows a desktop window's moves, resizes and state changes into the
// model through the engine's user-input functions (position in dialog units of the window's font, client size,
// maximised and minimised) and applies the model's changes back.
class PlaceTracker : public QObject {
  Q_OBJECT

 public:
  // `outer` is the widget that moves; `client` the one whose size counts.
  // `afterRecord` runs after a change was handed to the engine (the
  // backend resumes the threads there).
  PlaceTracker(Engine& engine, int windowId, QWidget* outer, QWidget* client, DialogUnits units,
               std::function<void()> onCloseRequest, std::function<void()> afterRecord);

  // Applies the model's place and state where they differ from what was
  // last applied or recorded.
  void apply(const Window& w);
  // Records the desktop window's current place into the model: `byUser`
  // through the engine (which posts the moving and sizing events), else
  // quietly (where the window has just been placed as it opened).
  void record(bool byUser);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Engine& m_engine;
  int m_id;
  QWidget* m_outer;    // not owned
  QWidget* m_client;   // not owned
  DialogUnits m_units;
  std::function<void()> m_onCloseRequest;
  std::function<void()> m_afterRecord;
  Rect m_known;        // the place the desktop window and the model agree on
  bool m_knownMaximized = false;
  bool m_knownMinimized = false;
  bool m_applying = false;
  bool m_recordQueued = false;
};

class WindowHost {
 public:
  // An MDI child in `area` when the window is declared so; otherwise a
  // window of its own owned by `owner`.
  WindowHost(Engine& engine, const Window& w, QMdiArea* area, QWidget* owner,
             std::function<void()> afterInput);
  ~WindowHost();
  WindowHost(const WindowHost&) = delete;
  WindowHost& operator=(const WindowHost&) = delete;

  WindowView* view() const { return m_view; }
  QWidget* outer() const { return m_outer; }
  QMdiSubWindow* subWindow() const { return m_sub; }
  void refresh(const Window& w);

 private:
  WindowView* m_view = nullptr;      // owned by m_outer
  QWidget* m_outer = nullptr;        // owned by this host (deleted with it)
  QMdiSubWindow* m_sub = nullptr;    // m_outer when an MDI child
  std::unique_ptr<PlaceTracker> m_tracker;
};

}  // namespace linkar::ui::qt
