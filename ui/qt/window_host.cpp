// Hosting windows on the desktop and following their places. The model's
// place always holds the normal (not maximised) position and size, so that
// a window closed while maximised remembers where it was before.

#include "ui/qt/window_host.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "ui/qt/display_text.h"
#include "ui/qt/window_view.h"

namespace linkar::ui::qt {

PlaceTracker::PlaceTracker(Engine& engine, int windowId, QWidget* outer, QWidget* client, DialogUnits units,
                           std::function<void()> onCloseRequest, std::function<void()> afterRecord)
    : m_engine(engine), m_id(windowId), m_outer(outer), m_client(client), m_units(units),
      m_onCloseRequest(std::move(onCloseRequest)), m_afterRecord(std::move(afterRecord)) {
  outer->installEventFilter(this);
}

void PlaceTracker::apply(const Window& w) {
  Rect p = w.place();
  bool placeChanged = p.x != m_known.x || p.y != m_known.y || p.width != m_known.width || p.height != m_known.height;
  bool stateChanged = w.maximized() != m_knownMaximized || w.minimized() != m_knownMinimized;
  if (!placeChanged && !stateChanged) return;
  m_applying = true;
  if (placeChanged) {
    if (m_outer->isMaximized() || m_outer->isMinimized()) m_outer->showNormal();
    m_outer->move(m_units.toPixelsX(p.x), m_units.toPixelsY(p.y));
    QSize client(m_units.toPixelsX(p.width), m_units.toPixelsY(p.height));
    QSize extra = m_outer->size() - m_client->size();
    if (w.resizable()) m_outer->resize(client + extra);
  }
  if (w.maximized() && !m_outer->isMaximized()) m_outer->showMaximized();
  else if (w.minimized() && !m_outer->isMinimized()) m_outer->showMinimized();
  else if (!w.maximized() && !w.minimized() && (m_outer->isMaximized() || m_outer->isMinimized()))
    m_outer->showNormal();
  m_known = p;
  m_knownMaximized = w.maximized();
  m_knownMinimized = w.minimized();
  m_applying = false;
}

void PlaceTracker::record(bool byUser) {
  Window* w = m_engine.window(m_id);
  if (!w) return;
  bool maximized = m_outer->isMaximized();
  bool minimized = m_outer->isMinimized();
  if (!maximized && !minimized) {
    Rect p{m_units.toUnitsX(m_outer->x()), m_units.toUnitsY(m_outer->y()), m_units.toUnitsX(m_client->width()),
           m_units.toUnitsY(m_client->height())};
    Rect old = w->place();
    if (p.x != old.x || p.y != old.y || p.width != old.width || p.height != old.height) {
      // The engine posts the moving and sizing events; while the window's
      // thread is held by a box it refuses, and the model follows anyway.
      if (!byUser || !m_engine.input().place(m_id, p)) {
        if (!w->resizable()) {
          p.width = old.width;
          p.height = old.height;
        }
        w->setPlace(p);
      }
    }
  }
  if (maximized != w->maximized() || minimized != w->minimized()) {
    bool told = byUser && (maximized   ? m_engine.input().maximize(m_id)
                           : minimized ? m_engine.input().minimize(m_id)
                                       : m_engine.input().restore(m_id));
    if (!told) {
      w->setMaximized(maximized);
      w->setMinimized(minimized);
    }
  }
  m_known = w->place();
  m_knownMaximized = w->maximized();
  m_knownMinimized = w->minimized();
  if (byUser && m_afterRecord) m_afterRecord();
}

bool PlaceTracker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_outer) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowStateChange:
        // Maximising moves and sizes the window before its state says so:
        // the place is read once the change is complete.
        if (!m_applying && m_outer->isVisible() && !m_recordQueued) {
          m_recordQueued = true;
          QTimer::singleShot(0, this, [this] {
            m_recordQueued = false;
            record(true);
          });
        }
        break;
      case QEvent::Close:
        // The procedure decides whether and when its window closes.
        event->ignore();
        if (m_onCloseRequest) m_onCloseRequest();
        return true;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

WindowHost::WindowHost(Engine& engine, const Window& w, QMdiArea* area, QWidget* owner,
                       std::function<void()> afterInput) {
  int id = w.id();
  auto onClose = [&engine, id, afterInput] {
    engine.input().close(id);
    if (afterInput) afterInput();
  };
  m_view = new WindowView(engine, w, afterInput);
  QString title = toDisplay(w.title());
  if (w.decl().mdi && area) {
    m_sub = new QMdiSubWindow(nullptr);
    m_sub->setWidget(m_view);
    m_sub->setAttribute(Qt::WA_DeleteOnClose, false);
    m_sub->setWindowTitle(title);
    m_sub->setProperty("linkarWindow", id);
    if (!w.resizable()) {
      m_view->setFixedSize(m_view->designedSize());
      m_sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    } else {
      // Sized through its minimum once shown, then free to shrink.
      m_view->setMinimumSize(m_view->designedSize());
    }
    area->addSubWindow(m_sub);
    m_outer = m_sub;
  } else {
    m_view->setParent(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_view->setWindowTitle(title);
    if (!w.resizable()) m_view->setFixedSize(m_view->designedSize());
    m_outer = m_view;
  }
  DialogUnits units = m_view->units();
  m_outer->move(units.toPixelsX(w.place().x), units.toPixelsY(w.place().y));
  if (!m_sub && owner && w.place().x == 0 && w.place().y == 0) {
    // A window of its own with no declared place opens centred on the frame.
    QPoint centre = owner->geometry().center();
    m_outer->move(centre - QPoint(m_view->width() / 2, m_view->height() / 2));
  }
  m_outer->show();
  if (m_sub && w.resizable()) {
    m_sub->adjustSize();
    m_view->setMinimumSize(1, 1);
  }
  m_tracker = std::make_unique<PlaceTracker>(engine, id, m_outer, m_view, units, onClose, afterInput);
  m_tracker->record(false);
}

WindowHost::~WindowHost() {
  m_tracker.reset();
  m_view->detach();
  if (m_outer) {
    m_outer->hide();
    if (m_sub && m_sub->mdiArea()) m_sub->mdiArea()->removeSubWindow(m_sub);
    m_outer->deleteLater();
  }
}

void WindowHost::refresh(const Window& w) {
  QString title = toDisplay(w.title());
  if (m_outer->windowTitle() != title) m_outer->setWindowTitle(title);
  m_tracker->apply(w);
  m_view->refresh(w);
}

}  // namespace linkar::ui::qt
