// The list control: columns, widths, headers and justification from the
// list's format, rows from the window model as last displayed. It never
// scrolls by itself: keys, the wheel and the scroll bar are reported as
// scroll events and the procedure refills the page from its queue.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "ui/catalogue.h"
#include "ui/qt/desktop_fonts.h"
#include "ui/window.h"

class QScrollBar;

namespace linkar::ui::qt {

class ListControl : public QWidget {
  Q_OBJECT

 public:
  ListControl(const ControlDecl& decl, DialogUnits units, QWidget* parent);

  // Shows the model's rows, highlighted row and thumb.
  void refresh(const ControlState& state);

  int rowHeight() const;
  int headerHeight() const;
  bool hasHeader() const { return m_hasHeader; }
  // Whole rows the list shows at its present height (at least one).
  int wholeRows() const;
  // The smallest size that still shows the header and one row.
  QSize minimumListSize() const;
  // Column widths in pixels, as the user may have resized them.
  const std::vector<int>& columnWidths() const { return m_widths; }
  // The row (from 1) at a point of the widget, 0 for none.
  int rowAt(QPoint at) const;

  // What the list shows now: rows, the text of a cell (row and column from
  // 1), the highlighted row, and the scroll bar.
  int shownRows() const { return static_cast<int>(m_rows.size()); }
  QString cellText(int row, int column) const;
  int highlightedRow() const { return m_selection; }
  QScrollBar* scrollBar() const { return m_bar; }

 signals:
  // A click on row `row` (from 1) with a mouse-button code of key_codes.h.
  void rowClicked(int row, int key);
  // A key with its key code (modifiers included) and its character.
  void keyPressed(int key, int character);
  // A scroll event code (EVENT:ScrollUp ... EVENT:ScrollBottom).
  void scrollRequested(int event);
  // The user dragged the thumb to 0-100.
  void thumbDragged(int thumb);
  void focusEntered();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;

 private:
  void onScrollAction(int action);
  int borderAt(int x) const;   // the resizable column whose right edge is near x, or -1
  int bodyWidth() const;

  ListFormat m_format;
  DialogUnits m_units;
  bool m_hasHeader = false;
  std::vector<int> m_widths;
  std::vector<std::vector<QString>> m_rows;
  int m_selection = 0;
  int m_thumb = 0;
  QScrollBar* m_bar = nullptr;    // owned by the widget
  int m_dragColumn = -1;
  int m_dragOrigin = 0;
  int m_wheelRest = 0;            // wheel angle not yet turned into events
  int m_pressedThumb = 0;         // where the thumb was when the user took it
};

// A key of the desktop toolkit as a key code of key_codes.h; 0 when the
// program has no code for it.
int keyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace linkar::ui::qt
