// The frame's construction. Menu choices go to the engine as presses of
// the item's field; the engine turns the standard ones into backend actions.

#include "ui/qt/frame_window.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include "ui/qt/display_text.h"
#include "ui/qt/window_host.h"

namespace linkar::ui::qt {
namespace {

// Pixels between minimised windows lined up by "&Arrange Icons".
constexpr int kIconGap = 2;

}  // namespace

FrameWindow::FrameWindow(Engine& engine, const Window& w, std::function<void()> afterInput)
    : m_engine(engine), m_id(w.id()), m_afterInput(std::move(afterInput)) {
  const Structure& s = w.decl();
  QFont font = desktopFont(s);
  setFont(font);
  m_units = dialogUnits(font);
  setWindowTitle(toDisplay(w.title()));
  menuBar()->setNativeMenuBar(false);
  m_menus = buildMenus(menuBar(), s, [this](int field) {
    m_engine.input().press(m_id, field);
    if (m_afterInput) m_afterInput();
  });

  m_area = new QMdiArea(this);
  m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(m_area);
  connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
    if (!sub) return;
    bool ok = false;
    int id = sub->property("linkarWindow").toInt(&ok);
    if (!ok || id == m_engine.registry().activeWindow()) return;
    m_engine.input().activate(id);
    if (m_afterInput) m_afterInput();
  });

  if (s.statusBar) makeZones(s.statusZones.empty() ? std::vector<int>{-1} : s.statusZones);
  resize(m_units.toPixelsX(s.at.width), m_units.toPixelsY(s.at.height));
  if (s.at.x != 0 || s.at.y != 0) move(m_units.toPixelsX(s.at.x), m_units.toPixelsY(s.at.y));
  int id = m_id;
  m_tracker = std::make_unique<PlaceTracker>(
      engine, id, this, this, m_units,
      [this] {
        m_engine.input().close(m_id);
        if (m_afterInput) m_afterInput();
      },
      m_afterInput);
}

FrameWindow::~FrameWindow() = default;

void FrameWindow::makeZones(const std::vector<int>& widths) {
  for (QLabel* zone : m_zones) {
    statusBar()->removeWidget(zone);
    delete zone;
  }
  m_zones.clear();
  m_zoneWidths = widths;
  for (int width : widths) {
    auto* zone = new QLabel(this);
    zone->setTextFormat(Qt::PlainText);
    if (width < 0) {
      statusBar()->addWidget(zone, 1);
    } else {
      zone->setFixedWidth(m_units.toPixelsX(width));
      zone->setFrameShape(QFrame::StyledPanel);
      zone->setFrameShadow(QFrame::Sunken);
      statusBar()->addPermanentWidget(zone);
    }
    m_zones.push_back(zone);
  }
}

QAction* FrameWindow::action(int field) const {
  auto it = m_menus.find(field);
  return it == m_menus.end() ? nullptr : it->second;
}

void FrameWindow::refresh(const Window& frame, const Window* active) {
  QString title = toDisplay(frame.title());
  if (windowTitle() != title) setWindowTitle(title);
  refreshMenus(m_menus, frame);
  m_tracker->apply(frame);
  if (m_zones.empty()) return;
  // An active child with zones of its own (the print preview's page
  // numbers) shows them in the frame's status bar while it is active.
  const bool childZones = active && active->decl().statusBar && !active->decl().statusZones.empty();
  const Window& zones = childZones ? *active : frame;
  const std::vector<int>& widths = zones.decl().statusZones.empty() ? std::vector<int>{-1} : zones.decl().statusZones;
  if (widths != m_zoneWidths) makeZones(widths);
  for (size_t i = 0; i < m_zones.size(); ++i) {
    int zone = static_cast<int>(i) + 1;
    std::string text = zones.statusText(zone);
    if (zone == 1 && active && active->decl().statusBar) text = active->statusText(1);
    QString shown = toDisplay(text);
    if (m_zones[i]->text() != shown) m_zones[i]->setText(shown);
  }
}

void FrameWindow::arrangeIcons() {
  int x = 0;
  for (QMdiSubWindow* sub : m_area->subWindowList()) {
    if (!sub->isMinimized()) continue;
    int y = m_area->viewport()->height() - sub->height();
    sub->move(x, y);
    x += sub->width() + kIconGap;
  }
}

}  // namespace linkar::ui::qt
